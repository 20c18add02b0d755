/* A real top-level window standing in for the player's main window: the
 * owner of every dialog a plug-in opens, placed where a test wants it. */
#ifndef TESTS_WINDOWS_HARNESS_HOST_WINDOW_H
#define TESTS_WINDOWS_HARNESS_HOST_WINDOW_H

#include <windows.h>

class HostWindow {
public:
    /* A visible, unowned overlapped window with the given screen rectangle. */
    HostWindow(int x = 200, int y = 150, int width = 480, int height = 360);
    ~HostWindow();
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    HWND hwnd() const { return hwnd_; }
    void MoveTo(int x, int y, int width, int height);
    RECT Rect() const;

private:
    HWND hwnd_ = nullptr;
};

/* The desktop work area (SPI_GETWORKAREA). */
RECT WorkArea();

/* Dispatches whatever is queued for this thread, without waiting. */
void PumpPendingMessages();

#endif
