/* The walking setting: loaded by Init, saved by Shutdown, edited in the
 * "CONFIG" dialog.  A change takes effect with the next GetLength and
 * reaches the INI file only at Shutdown. */
#include "mve_entries.h"
#include "mve_setting.h"

#include "common/center_dialog.h"
#include "common/plugin_module.h"

#define NO_WALK_KEY "NoWalk"
#define NO_WALK_VALUE_CAPACITY 40

uint32_t noWalk;

void LoadWalkingSetting(void)
{
    if (!g_plugin.iniFileName) {
        noWalk = 1; /* nowhere to have allowed it: the safe default */
        return;
    }
    char value[NO_WALK_VALUE_CAPACITY];
    GetPrivateProfileStringA(g_plugin.pluginName, NO_WALK_KEY, "on", value, sizeof value, g_plugin.iniFileName);
    noWalk = lstrcmpiA(value, "off") != 0 ? 1u : 0u;
}

void PLUGIN_CALL Shutdown(void)
{
    if (g_plugin.iniFileName)
        WritePrivateProfileStringA(g_plugin.pluginName, NO_WALK_KEY, noWalk ? "on" : "off", g_plugin.iniFileName);
}

INT_PTR PLUGIN_CALL Config(HWND owner)
{
    return DialogBoxParamA(g_plugin.hInstance, "Config", owner, ConfigDlgProc, 0);
}

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterDialog(dialog, GetWindow(dialog, GW_OWNER));
        CheckDlgButton(dialog, CONFIG_NO_WALK_ID, noWalk ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            noWalk = IsDlgButtonChecked(dialog, CONFIG_NO_WALK_ID) == BST_CHECKED ? 1u : 0u;
            EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case CONFIG_DEFAULTS_ID:
            /* The default is not to walk; nothing is kept until OK. */
            CheckDlgButton(dialog, CONFIG_NO_WALK_ID, BST_CHECKED);
            break;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return FALSE;
    }
    return FALSE;
}
