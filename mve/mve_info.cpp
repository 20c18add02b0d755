/* The About box and the info box with velmora's format summary. */
#include "mve_entries.h"
#include "mve_format.h"

#include "common/info_dialogs.h"
#include "common/plugin_module.h"

const InfoBoxControls g_infoBoxControls = {1000, 1001, 1002, 1003, 1004};

void FormatInfoSummary(char *out, const InfoSnapshot &s)
{
    wsprintfA(out, "Compression: %s\r\nChannels: %u%s\r\nSample Rate: %lu Hz\r\nResolution: %u-bit",
              s.compressed ? "MVE ADPCM" : "None", static_cast<unsigned>(s.channels), ChannelSuffix(s.channels),
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
    MveAudioFormat format;
    if (!ParseMveAudioFormat(h, &format)) {
        char text[INFO_TEXT_CAPACITY];
        wsprintfA(text, "This is not %s file or no soundtrack present.", g_plugin.formatName);
        ShowPluginWarning(owner, text);
        Host().Close(h);
        return;
    }
    InfoSnapshot &snap = g_infoSnapshot;
    snap.sampleRate = format.sampleRate;
    snap.channels = format.channels;
    /* The width the sound is played in, the same one lengths are worked
     * out with. */
    snap.bitsPerSample = MveDeliveredBits(format);
    snap.compressed = format.compressed;
    snap.streamSize = Host().GetSize(h);
    Host().Close(h);
    snap.item = item;
    /* The length computed here is shown only; the item's cache is the host's.
     * With walking off this is -1 at once, without a progress window. */
    int32_t length = item->cachedLength;
    if (length == -1)
        length = GetLength(item);
    snap.lengthMs = static_cast<uint32_t>(length);
    ShowInfoBox(owner);
}
