/* The modeless "WALKING" window shown while a movie is walked for its play
 * time: a progress bar and nothing to click.  Everything here copes with a
 * window that could not be created (NULL dialog): the walk then simply runs
 * without one. */
#ifndef MVE_MVE_WALKING_WINDOW_H
#define MVE_MVE_WALKING_WINDOW_H

#include "common/plugin_api.h"

#define WALKING_PROGRESS_ID 1012
/* The progress bar's messages (the common controls' header is not needed
 * for two numbers). */
#ifndef PBM_SETRANGE
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#endif
/* Sent to the walking window after each frame: repaint, then drain. */
#define WM_WALKING_DRAIN (WM_USER + 1)
/* The longest a drain may take, in milliseconds. */
#define WALKING_DRAIN_MS 10u

typedef struct WalkingWindow {
    HWND dialog; /* NULL when it could not be created */
    HWND focus;  /* who had the keyboard focus before it opened */
} WalkingWindow;

/* Opens the window over the host's main window, at 0 %. */
WalkingWindow OpenWalkingWindow(void);
/* Moves the bar to how far into the stream h is, and lets the window paint. */
void ShowWalkingProgress(HWND dialog, StreamHandle *h);
/* Gives the focus back and destroys the window. */
void CloseWalkingWindow(const WalkingWindow &window);

INT_PTR CALLBACK WalkingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* Percent of size that position is, 0..100, without overflowing int. */
int ProgressPercent(uint32_t position, uint32_t size);

#endif
