/* The progress window of the play-time walk.
 *
 * The walk runs inside one entry point on the host's thread, so nothing
 * dispatches this window's messages while it lasts.  After every frame the
 * window is asked (WM_WALKING_DRAIN) to paint what changed and then to throw
 * away what has queued up for it, for at most WALKING_DRAIN_MS.  Painting
 * first matters: a paint message that is only removed leaves the update
 * region behind and is generated again at once, so the drain would spin for
 * its whole time slice after every frame behind a window that never shows
 * its progress. */
#include "mve_walking_window.h"

#include "common/center_dialog.h"
#include "common/plugin_module.h"

int ProgressPercent(uint32_t position, uint32_t size)
{
    if (size == 0)
        return 0;
    if (position > size)
        position = size;
    /* MulDiv takes ints: bring files of 2 GiB and more into range. */
    while (size > 0x7FFFFFFFu) {
        size >>= 1;
        position >>= 1;
    }
    return MulDiv(100, (int)position, (int)size);
}

WalkingWindow OpenWalkingWindow(void)
{
    WalkingWindow window;
    window.focus = GetFocus();
    /* NULL when the progress-bar class is not registered (the host has not
     * initialised the common controls) or there is no display: the walk
     * goes on without a window. */
    window.dialog = CreateDialogParamA(g_plugin.hInstance, "Walking", g_plugin.hHostWindow, WalkingDlgProc, 0);
    if (window.dialog) {
        SetWindowTextA(window.dialog, "Calculating time");
        SendDlgItemMessageA(window.dialog, WALKING_PROGRESS_ID, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendDlgItemMessageA(window.dialog, WALKING_PROGRESS_ID, PBM_SETPOS, 0, 0);
    }
    return window;
}

void ShowWalkingProgress(HWND dialog, StreamHandle *h)
{
    if (!dialog)
        return;
    const HostFileServices &host = Host();
    SendDlgItemMessageA(dialog, WALKING_PROGRESS_ID, PBM_SETPOS, ProgressPercent(host.Tell(h), host.GetSize(h)), 0);
    SendMessageA(dialog, WM_WALKING_DRAIN, 0, 0);
}

void CloseWalkingWindow(const WalkingWindow &window)
{
    if (!window.dialog)
        return;
    SetFocus(window.focus);
    DestroyWindow(window.dialog);
    UpdateWindow(window.focus);
}

INT_PTR CALLBACK WalkingDlgProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CenterDialog(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    if (message == WM_WALKING_DRAIN) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const DWORD deadline = GetTickCount() + WALKING_DRAIN_MS;
        MSG msg;
        /* Removed messages are dropped: dispatching them could re-enter the
         * host in the middle of the walk.  The signed difference keeps the
         * deadline right across the tick counter's wrap. */
        while (PeekMessageA(&msg, dialog, 0, 0, PM_REMOVE) && (int32_t)(GetTickCount() - deadline) < 0) {
        }
    }
    return FALSE;
}
