#include "dialog_recorder.h"

#include "dialog_driver.h"

namespace {
DialogRecorder *g_recorder = nullptr; /* hook procedures carry no context */
}

DialogRecorder::DialogRecorder(std::function<void(RecordedDialog &, HWND)> inspect) : inspect_(std::move(inspect))
{
    g_recorder = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

DialogRecorder::~DialogRecorder()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
    if (g_recorder == this)
        g_recorder = nullptr;
}

size_t DialogRecorder::alive() const
{
    size_t n = 0;
    for (const RecordedDialog &d : dialogs_)
        n += !d.destroyed;
    return n;
}

LRESULT CALLBACK DialogRecorder::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    DialogRecorder *self = g_recorder;
    const HWND window = reinterpret_cast<HWND>(wParam);
    if (self && code == HCBT_CREATEWND) {
        const CREATESTRUCTA *cs = reinterpret_cast<CBT_CREATEWNDA *>(lParam)->lpcs;
        if (!(cs->style & WS_CHILD) && ClassNameOf(window) == "#32770") {
            RecordedDialog d;
            d.hwnd = window;
            d.owner = cs->hwndParent;
            self->dialogs_.push_back(d);
        }
    } else if (self && code == HCBT_DESTROYWND) {
        for (RecordedDialog &d : self->dialogs_) {
            if (d.hwnd != window || d.destroyed)
                continue;
            d.caption = WindowText(window);
            GetWindowRect(window, &d.rect);
            d.visible = IsWindowVisible(window) != FALSE;
            d.owner = GetWindow(window, GW_OWNER);
            if (self->inspect_)
                self->inspect_(d, window);
            d.destroyed = true;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
