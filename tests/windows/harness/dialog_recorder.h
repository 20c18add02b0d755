/* Watching the modeless windows a plug-in creates and destroys inside one
 * call (a progress window during a long computation, say), where no modal
 * loop gives the test a chance to look.  A thread-local CBT hook notes every
 * top-level dialog-class window created on this thread and takes a snapshot
 * of it just before it is destroyed. */
#ifndef TESTS_WINDOWS_HARNESS_DIALOG_RECORDER_H
#define TESTS_WINDOWS_HARNESS_DIALOG_RECORDER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedDialog {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    bool destroyed = false;
    /* As the window was just before its destruction. */
    std::string caption;
    RECT rect{};
    bool visible = false;
};

class DialogRecorder {
public:
    /* inspect, when given, runs on each recorded window just before it is
     * destroyed (to read a control's state, for instance). */
    explicit DialogRecorder(std::function<void(RecordedDialog &, HWND)> inspect = nullptr);
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    bool hooked() const { return hook_ != nullptr; }
    const std::vector<RecordedDialog> &dialogs() const { return dialogs_; }
    /* Recorded windows not destroyed yet. */
    size_t alive() const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    std::function<void(RecordedDialog &, HWND)> inspect_;
    std::vector<RecordedDialog> dialogs_;
    HHOOK hook_ = nullptr;
};

#endif
