#include "status_window.h"

namespace {
const char kClassName[] = "OrlimboTestStatusWindow";
}

StatusWindow::StatusWindow()
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        atom = RegisterClassA(&wc);
    }
    hwnd_ = CreateWindowExA(0, kClassName, "Status", WS_OVERLAPPED, 0, 0, 200, 50, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

StatusWindow::~StatusWindow()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

LRESULT CALLBACK StatusWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    StatusWindow *self = reinterpret_cast<StatusWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message == kChunkMessage || message == kTextMessage)) {
        Message m = {message, wParam, lParam, std::string()};
        if (message == kTextMessage && lParam)
            m.text = reinterpret_cast<const char *>(lParam);
        self->messages_.push_back(m);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::string> StatusWindow::Texts() const
{
    std::vector<std::string> texts;
    for (const Message &m : messages_)
        if (m.message == kTextMessage)
            texts.push_back(m.text);
    return texts;
}

size_t StatusWindow::Count(UINT message) const
{
    size_t n = 0;
    for (const Message &m : messages_)
        n += m.message == message;
    return n;
}
