#include "info_dialogs.h"

#include "center_dialog.h"
#include "length_text.h"
#include "plugin_module.h"

InfoSnapshot g_infoSnapshot;

const char *ChannelSuffix(uint16_t channels)
{
    if (channels == 1)
        return " (mono)";
    if (channels == 2)
        return " (stereo)";
    return "";
}

void ShowPluginWarning(HWND owner, const char *text)
{
    MessageBoxA(owner, text, g_plugin.pluginName, MB_ICONWARNING);
}

namespace {
/* OK and closing end both boxes; every other command, IDCANCEL (Esc)
 * included, is ignored, so Esc does not dismiss them. */
INT_PTR HandleCommonMessage(HWND dialog, UINT message, WPARAM wParam)
{
    if ((message == WM_COMMAND && LOWORD(wParam) == IDOK) || message == WM_CLOSE)
        EndDialog(dialog, 1);
    return FALSE;
}
} // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CenterDialog(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    return HandleCommonMessage(dialog, message, wParam);
}

INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_INITDIALOG)
        return HandleCommonMessage(dialog, message, wParam);

    CenterDialog(dialog, GetWindow(dialog, GW_OWNER));
    const InfoSnapshot &s = g_infoSnapshot;
    const InfoBoxControls &ids = g_infoBoxControls;
    char text[INFO_TEXT_CAPACITY];
    if (s.item) {
        SetDlgItemTextA(dialog, ids.name, s.item->name);
        SetDlgItemTextA(dialog, ids.dataString, s.item->dataString);
    }
    wsprintfA(text, "%lu", static_cast<unsigned long>(s.streamSize));
    SetDlgItemTextA(dialog, ids.size, text);
    FormatLengthText(text, s.lengthMs);
    SetDlgItemTextA(dialog, ids.length, text);
    FormatInfoSummary(text, s);
    SetDlgItemTextA(dialog, ids.format, text);
    return TRUE;
}

INT_PTR ShowAboutBox(HWND owner)
{
    return DialogBoxParamA(g_plugin.hInstance, "About", owner, AboutDlgProc, 0);
}

void ShowInfoBox(HWND owner)
{
    DialogBoxParamA(g_plugin.hInstance, "InfoBox", owner, InfoDlgProc, 0);
}
