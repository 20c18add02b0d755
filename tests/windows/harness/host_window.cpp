#include "host_window.h"

namespace {
const char kClassName[] = "OrlimboTestHostWindow";

ATOM RegisterHostClass()
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        atom = RegisterClassA(&wc);
    }
    return atom;
}
} // namespace

HostWindow::HostWindow(int x, int y, int width, int height)
{
    RegisterHostClass();
    hwnd_ = CreateWindowExA(0, kClassName, "Orlimbo test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x,
                            y, width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd_) {
        SetForegroundWindow(hwnd_);
        PumpPendingMessages();
    }
}

HostWindow::~HostWindow()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
    PumpPendingMessages();
}

void HostWindow::MoveTo(int x, int y, int width, int height)
{
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPendingMessages();
}

RECT HostWindow::Rect() const
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(hwnd_, &r);
    return r;
}

RECT WorkArea()
{
    RECT r = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void PumpPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
