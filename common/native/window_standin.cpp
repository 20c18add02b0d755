/* The user-interface half of the native Win32 stand-in: natively no window
 * can ever be created, so every dialog call fails as it does without a
 * display, and message boxes are only recorded.  A host with windows of its
 * own (the browser page) links its own user-interface half instead. */
#include "win32_standin.h"

namespace {
standin::MessageBoxRecord g_lastBox;
} // namespace

namespace standin {
MessageBoxRecord &LastMessageBox() { return g_lastBox; }
} // namespace standin

extern "C" {

/* --- user interface: no window can be created ----------------------------- */

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return -1; }
HWND CreateDialogParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return nullptr; }
BOOL EndDialog(HWND, INT_PTR) { return FALSE; }
BOOL DestroyWindow(HWND) { return FALSE; }
BOOL SetDlgItemTextA(HWND, int, LPCSTR) { return FALSE; }
LRESULT SendDlgItemMessageA(HWND, int, UINT, WPARAM, LPARAM) { return 0; }
LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL CheckDlgButton(HWND, int, UINT) { return FALSE; }
UINT IsDlgButtonChecked(HWND, int) { return BST_UNCHECKED; }
HWND GetWindow(HWND, UINT) { return nullptr; }
BOOL GetWindowRect(HWND, RECT *) { return FALSE; }
BOOL SetWindowPos(HWND, HWND, int, int, int, int, UINT) { return FALSE; }
BOOL SystemParametersInfoA(UINT, UINT, void *, UINT) { return FALSE; }
BOOL SetWindowTextA(HWND, LPCSTR) { return FALSE; }
HWND GetFocus(void) { return nullptr; }
HWND SetFocus(HWND) { return nullptr; }
BOOL UpdateWindow(HWND) { return FALSE; }
BOOL RedrawWindow(HWND, const RECT *, void *, UINT) { return FALSE; }
BOOL PeekMessageA(MSG *, HWND, UINT, UINT, UINT) { return FALSE; }

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    ++g_lastBox.count;
    g_lastBox.text = text ? text : "";
    g_lastBox.caption = caption ? caption : "";
    g_lastBox.type = type;
    return 0; /* as when the box cannot be shown */
}

} /* extern "C" */
