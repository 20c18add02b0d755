/* A stand-in for the player's status window during a file scan: it keeps
 * every WM_USER+4 / WM_USER+6 message it is sent, in order, with the text a
 * WM_USER+6 points to copied while it is still valid. */
#ifndef TESTS_WINDOWS_HARNESS_STATUS_WINDOW_H
#define TESTS_WINDOWS_HARNESS_STATUS_WINDOW_H

#include <windows.h>

#include <string>
#include <vector>

class StatusWindow {
public:
    static const UINT kChunkMessage = WM_USER + 4;
    static const UINT kTextMessage = WM_USER + 6;

    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::string text; /* for kTextMessage */
    };

    StatusWindow();
    ~StatusWindow();
    StatusWindow(const StatusWindow &) = delete;
    StatusWindow &operator=(const StatusWindow &) = delete;

    HWND hwnd() const { return hwnd_; }
    const std::vector<Message> &messages() const { return messages_; }
    std::vector<std::string> Texts() const;
    size_t Count(UINT message) const;
    void Clear() { messages_.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    std::vector<Message> messages_;
};

#endif
