/* velmora's one user setting: whether GetLength may walk a whole movie.
 * Kept in the host's INI file under the plug-in's name, key "NoWalk":
 * "off" (any letter case) allows walking, anything else — a missing key
 * included — forbids it. */
#ifndef MVE_MVE_SETTING_H
#define MVE_MVE_SETTING_H

#include "common/plugin_api.h"

#include <stdint.h>

#define CONFIG_NO_WALK_ID 1010
#define CONFIG_DEFAULTS_ID 1008

/* Nonzero: do not walk.  0 at load; set by Init, changed by the dialog. */
extern uint32_t noWalk;

/* Reads the setting from the INI file (Init's part). */
void LoadWalkingSetting(void);

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
