/* The About box and the info box with tasbrin's format summary. */
#include "blb_entry.h"
#include "blb_length.h"
#include "blb_name.h"
#include "blb_stream.h"

#include "common/info_dialogs.h"
#include "common/plugin_module.h"

const InfoBoxControls g_infoBoxControls = {1001, 1002, 1003, 1004, 1005};

void FormatInfoSummary(char *out, const InfoSnapshot &s)
{
    wsprintfA(out, "Compression: %s\r\nShift: 0x%02X\r\nChannels: %u%s\r\nSample Rate: %lu Hz\r\nResolution: %u-bit",
              s.shift != BLB_SHIFT_RAW ? "DW ADPCM" : "None", static_cast<unsigned>(s.shift),
              static_cast<unsigned>(s.channels), ChannelSuffix(s.channels),
              static_cast<unsigned long>(s.sampleRate), static_cast<unsigned>(s.bitsPerSample));
}

INT_PTR PLUGIN_CALL About(HWND owner) { return ShowAboutBox(owner); }

void PLUGIN_CALL InfoBox(ResourceItem *item, HWND owner)
{
    if (!item)
        return;
    StreamHandle *h = Host().Open(item);
    if (!h) {
        ShowPluginWarning(owner, "Cannot open file.");
        return;
    }
    BlbSoundName name;
    if (!ParseBlbSoundName(h, item->dataString, &name)) {
        char text[INFO_TEXT_CAPACITY];
        wsprintfA(text, "This is not %s file.", g_plugin.formatName);
        ShowPluginWarning(owner, text);
        Host().Close(h);
        return;
    }
    InfoSnapshot &snap = g_infoSnapshot;
    snap.sampleRate = BLB_SAMPLE_RATE;
    snap.channels = BLB_CHANNELS;
    snap.bitsPerSample = BLB_BITS_PER_SAMPLE;
    snap.shift = name.shift;
    snap.streamSize = Host().GetSize(h);
    Host().Close(h);
    snap.item = item;
    /* The length computed here is shown only; the item's cache is the host's. */
    int32_t length = item->cachedLength;
    if (length == -1)
        length = BlbPlayLengthMs(snap.streamSize, name.shift);
    snap.lengthMs = static_cast<uint32_t>(length);
    ShowInfoBox(owner);
}
