/* The one place the plug-ins get their Win32 declarations from.
 *
 * On Windows this is <windows.h>.  The native (Linux) build compiles the
 * window-less parts of the plug-ins — parsing, decoding, lengths, setting
 * parsing, dialog arithmetic — for sanitizer-instrumented unit tests and
 * fuzzing; for it this header declares the handful of kernel services those
 * parts call, implemented by native/win32_standin.cpp. */
#ifndef COMMON_WINAPI_H
#define COMMON_WINAPI_H

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else /* native stand-in */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef void *HANDLE;
typedef void *HGLOBAL;
typedef void *HINSTANCE;
typedef void *HMODULE;
typedef void *HWND;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define GMEM_FIXED 0x0000
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalFree(HGLOBAL block);
void SetLastError(DWORD code);
DWORD GetLastError(void);
int MulDiv(int number, int numerator, int denominator);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);
LPSTR lstrcpyA(LPSTR dst, LPCSTR src);
int wsprintfA(LPSTR out, LPCSTR format, ...);
BOOL DisableThreadLibraryCalls(HMODULE module);
DWORD GetTickCount(void);

/* --- user interface: natively no window can ever be created ------------- */

typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG;

#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_CLOSE 0x0010
#define WM_USER 0x0400
#define IDOK 1
#define IDCANCEL 2
#define MB_OK 0x0000
#define MB_ICONWARNING 0x0030
#define GW_OWNER 4
#define SPI_GETWORKAREA 0x0030
#define SWP_NOSIZE 0x0001
#define SWP_NOZORDER 0x0004
#define PM_REMOVE 0x0001
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define RDW_INVALIDATE 0x0001
#define RDW_UPDATENOW 0x0100
#define RDW_ALLCHILDREN 0x0080
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define LOWORD(v) ((WORD)((uintptr_t)(v) & 0xFFFF))
#define HIWORD(v) ((WORD)(((uintptr_t)(v) >> 16) & 0xFFFF))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)(((WORD)(lo)) | (((DWORD)(WORD)(hi)) << 16)))

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
BOOL DestroyWindow(HWND window);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
HWND GetWindow(HWND window, UINT relation);
BOOL GetWindowRect(HWND window, RECT *rect);
BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags);
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void *pvParam, UINT winIni);
BOOL SetWindowTextA(HWND window, LPCSTR text);
HWND GetFocus(void);
HWND SetFocus(HWND window);
BOOL UpdateWindow(HWND window);
BOOL RedrawWindow(HWND window, const RECT *update, void *region, UINT flags);
BOOL PeekMessageA(MSG *msg, HWND window, UINT first, UINT last, UINT remove);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);

/* --- INI files ---------------------------------------------------------- */
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out,
                               DWORD size, LPCSTR file);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

#ifdef __cplusplus
}
#endif

#endif /* _WIN32 */

#endif /* COMMON_WINAPI_H */
