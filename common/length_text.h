/* Play lengths as the info box shows them. */
#ifndef COMMON_LENGTH_TEXT_H
#define COMMON_LENGTH_TEXT_H

#include <stdint.h>

/* "N/A" for no length, "m:ss" under an hour, "h:mm:ss" from an hour on
 * (whole seconds, rounded down).  out must hold at least 32 characters. */
void FormatLengthText(char *out, uint32_t lengthMs);

#endif
