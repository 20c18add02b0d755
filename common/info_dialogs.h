/* The About box and the file-information box both plug-ins show.
 *
 * The dialog procedures are shared; what differs between the plug-ins — the
 * control IDs of the info box and its format summary — each plug-in supplies
 * through the two definitions declared at the end. */
#ifndef COMMON_INFO_DIALOGS_H
#define COMMON_INFO_DIALOGS_H

#include "plugin_api.h"

/* What InfoBox found out about the item, read by the dialog when it opens
 * (the dialog itself gets no parameter).  One per module. */
struct InfoSnapshot {
    ResourceItem *item;
    uint32_t streamSize;
    uint32_t lengthMs;      /* PLUGIN_NO_LENGTH = none */
    uint32_t sampleRate;
    uint16_t channels;
    uint16_t bitsPerSample;
    uint32_t compressed;    /* velmora: MVE DPCM when nonzero */
    uint8_t shift;          /* tasbrin: 0xFF = raw PCM */
};
extern InfoSnapshot g_infoSnapshot;

/* Control IDs of the "INFOBOX" template, which differ between the plug-ins. */
struct InfoBoxControls {
    int name;
    int dataString;
    int format;
    int size;
    int length;
};

#define INFO_TEXT_CAPACITY 512

/* " (mono)" / " (stereo)" after a channel count, "" otherwise. */
const char *ChannelSuffix(uint16_t channels);

/* Shows a warning box captioned with the plug-in's name. */
void ShowPluginWarning(HWND owner, const char *text);

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* The About entry point body: the "ABOUT" dialog owned by owner. */
INT_PTR ShowAboutBox(HWND owner);
/* Opens the "INFOBOX" dialog on the current snapshot. */
void ShowInfoBox(HWND owner);

/* --- supplied by each plug-in ------------------------------------------ */
extern const InfoBoxControls g_infoBoxControls;
/* The format summary for the snapshot, at most INFO_TEXT_CAPACITY bytes. */
void FormatInfoSummary(char *out, const InfoSnapshot &snapshot);

#endif
