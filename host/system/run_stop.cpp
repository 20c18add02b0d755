#include "host/system/run_stop.h"

#include <csignal>
#include <cstring>

#ifdef _WIN32
#include "host/system/utf16.h"
#else
#include <unistd.h>
#endif

namespace {

constexpr int kSlots = 16;
constexpr size_t kPathBytes = 4096;

/* Plain arrays: the handlers may read them at any moment, and may call
 * nothing that allocates. */
char g_paths[kSlots][kPathBytes];
volatile sig_atomic_t g_used[kSlots];
volatile sig_atomic_t g_reason = 0; /* a StopReason */
volatile sig_atomic_t g_signals = 0;

void RemoveTracked()
{
    for (int i = 0; i < kSlots; ++i) {
        if (!g_used[i])
            continue;
#ifdef _WIN32
        wchar_t wide[kPathBytes];
        if (WideInto(g_paths[i], wide, kPathBytes))
            DeleteFileW(wide);
#else
        unlink(g_paths[i]);
#endif
        g_used[i] = 0;
    }
}

#ifdef _WIN32
HANDLE g_cleanedUp = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        if (g_signals++ == 0) {
            g_reason = static_cast<sig_atomic_t>(StopReason::Interrupted);
            return TRUE;
        }
        RemoveTracked();
        ExitProcess(130);
    }
    /* The window is closing (or the user logs off): Windows ends the
     * process once this returns, or after a few seconds. */
    g_reason = static_cast<sig_atomic_t>(StopReason::Interrupted);
    if (g_cleanedUp)
        WaitForSingleObject(g_cleanedUp, 3000);
    RemoveTracked();
    return TRUE;
}
#else
void OnSignal(int)
{
    if (g_signals++ == 0) {
        g_reason = static_cast<sig_atomic_t>(StopReason::Interrupted);
        return;
    }
    RemoveTracked();
    _exit(130);
}
#endif

} // namespace

void InstallStopHandlers()
{
#ifdef _WIN32
    g_cleanedUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    /* No SA_RESTART: a write blocked on a full pipe returns, so the run
     * notices at once. */
    sa.sa_flags = 0;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
#endif
}

StopReason StopRequested() { return static_cast<StopReason>(static_cast<int>(g_reason)); }

void RequestStop(StopReason reason)
{
    if (g_reason == 0)
        g_reason = static_cast<sig_atomic_t>(reason);
}

int TrackTemporary(const std::string &path)
{
    if (path.size() >= kPathBytes)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i])
            continue;
        std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
        g_used[i] = 1;
        return i;
    }
    return -1;
}

void UntrackTemporary(int slot)
{
    if (slot >= 0 && slot < kSlots)
        g_used[slot] = 0;
}

void RunCleanedUp()
{
#ifdef _WIN32
    if (g_cleanedUp)
        SetEvent(g_cleanedUp);
#endif
}
