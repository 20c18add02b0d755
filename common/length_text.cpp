#include "length_text.h"

#include "plugin_api.h"

void FormatLengthText(char *out, uint32_t lengthMs)
{
    if (lengthMs == PLUGIN_NO_LENGTH) {
        lstrcpyA(out, "N/A");
        return;
    }
    /* Cast to unsigned long for %lu: it is 32 bits on Windows, wider natively. */
    const unsigned long s = lengthMs / 1000;
    const unsigned long hours = s / 3600;
    const unsigned long minutes = (s / 60) % 60;
    const unsigned long seconds = s % 60;
    if (hours != 0)
        wsprintfA(out, "%lu:%02lu:%02lu", hours, minutes, seconds);
    else
        wsprintfA(out, "%lu:%02lu", minutes, seconds);
}
