/* The play-time walk behind its progress window, and scanning with the
 * status window, through the real DLL on a display. */
#include "velmora_ui.h"

#include "dialog_driver.h"
#include "dialog_recorder.h"
#include "status_window.h"

#include <algorithm>

namespace {

const char kWalkCaption[] = "Calculating time";
constexpr UINT kText = WM_USER + 6, kChunk = WM_USER + 4; /* the status window's messages */

/* What the host services saw of the walking window while the walk ran:
 * every host call looks at it, as the player's own code could. */
struct WalkProbe {
    const HostFileServices *inner = nullptr;
    HWND owner = nullptr;
    HWND dialog = nullptr;
    bool drained = false;         /* a WM_USER+1 has been handled */
    unsigned calls = 0;           /* host calls while the window existed */
    unsigned staleAfterDrain = 0; /* ... of them with a pending update region */
    bool visible = false;
    HWND dialogOwner = nullptr;
    std::string barClass;
    PBRANGE range{-1, -1};
    int lastPosition = -1;
    bool positionsRise = true;
};
WalkProbe g_probe;
HHOOK g_drainHook = nullptr;

LRESULT CALLBACK AfterSend(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = reinterpret_cast<CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && m->message == WM_USER + 1 && m->hwnd == g_probe.dialog && g_probe.dialog)
        g_probe.drained = true;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Look()
{
    WalkProbe &p = g_probe;
    HWND dialog = FindWindowA("#32770", kWalkCaption);
    if (!dialog)
        return;
    if (dialog != p.dialog) {
        p.dialog = dialog;
        p.dialogOwner = GetWindow(dialog, GW_OWNER);
        p.visible = IsWindowVisible(dialog) != FALSE;
        HWND bar = GetDlgItem(dialog, 1012);
        p.barClass = ClassNameOf(bar);
        SendMessageA(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&p.range));
    }
    ++p.calls;
    const int position = static_cast<int>(SendDlgItemMessageA(dialog, 1012, PBM_GETPOS, 0, 0));
    p.positionsRise = p.positionsRise && position >= p.lastPosition;
    p.lastPosition = position;
    if (p.drained && (GetUpdateRect(dialog, nullptr, FALSE) || GetUpdateRect(GetDlgItem(dialog, 1012), nullptr, FALSE)))
        ++p.staleAfterDrain;
}

uint32_t PLUGIN_CALL ProbeTell(StreamHandle *h)
{
    Look();
    return g_probe.inner->Tell(h);
}
void PLUGIN_CALL ProbeRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    Look();
    g_probe.inner->Read(h, buffer, count, got);
}

class VelmoraWalk : public Velmora {
protected:
    void SetUp() override
    {
        RegisterCommonControls();
        Velmora::SetUp();
        ini.Write("[" VELMORA_NAME "]\r\nNoWalk=off\r\n");
        plugin.reset();
        plugin = std::make_unique<LoadedPlugin>(TEST_PLUGIN_DLL, host.services(), window->hwnd(), ini.path());
        ASSERT_TRUE(plugin->ok()) << plugin->error();
        probing = *host.services();
        probing.Tell = ProbeTell;
        probing.Read = ProbeRead;
        g_probe = WalkProbe{};
        g_probe.inner = host.services();
        P().hostServices = &probing;
        g_drainHook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterSend, nullptr, GetCurrentThreadId());
    }
    void TearDown() override
    {
        if (g_drainHook)
            UnhookWindowsHookEx(g_drainHook);
        g_drainHook = nullptr;
        P().hostServices = host.services();
        Velmora::TearDown();
    }

    ScratchIni ini;
    HostFileServices probing{};
};

TEST_F(VelmoraWalk, TheProgressWindowShowsDuringTheWalkAndGoesAfter)
{
    window->MoveTo(220, 160, 600, 420);
    const std::vector<uint16_t> frames(40, 8820);
    ResourceItem *item = host.AddItem(DeclaringMovie(0x07, 22050, frames), "m", "RAW", "M");
    /* The focus goes back to whoever had it. */
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 5, 5, 100, 20, window->hwnd(), nullptr, nullptr,
                              nullptr);
    SetForegroundWindow(window->hwnd());
    SetFocus(edit);
    RECT ownerRect;
    GetWindowRect(window->hwnd(), &ownerRect);

    DialogRecorder recorder;
    EXPECT_EQ(P().GetLength(item), 4000);

    const WalkProbe &p = g_probe;
    ASSERT_NE(p.dialog, nullptr) << "no \"" << kWalkCaption << "\" window during the walk";
    EXPECT_TRUE(p.visible);
    EXPECT_EQ(p.dialogOwner, window->hwnd()) << "owned by the host's main window";
    EXPECT_EQ(p.barClass, "msctls_progress32");
    EXPECT_EQ(p.range.iLow, 0);
    EXPECT_EQ(p.range.iHigh, 100);
    EXPECT_TRUE(p.positionsRise);
    EXPECT_GE(p.lastPosition, 90) << "near the end by the last frame";
    EXPECT_TRUE(p.drained);
    EXPECT_EQ(p.staleAfterDrain, 0u) << "of " << p.calls << " host calls saw the window with unpainted parts";
    EXPECT_FALSE(IsWindow(p.dialog)) << "the window is gone after the walk";
    EXPECT_EQ(GetFocus(), edit) << "the focus is given back";

    ASSERT_EQ(recorder.dialogs().size(), 1u);
    const RecordedDialog &d = recorder.dialogs()[0];
    EXPECT_TRUE(d.destroyed);
    EXPECT_EQ(d.caption, kWalkCaption);
    ExpectCentred(d.rect, ownerRect);
    DestroyWindow(edit);
}

TEST_F(VelmoraWalk, AWalkOverHundredsOfFramesTakesFarLessThanAMillisecondEach)
{
    const unsigned kFrames = 600;
    ResourceItem *item = host.AddItem(DeclaringMovie(0x00, 22050, std::vector<uint16_t>(kFrames, 2205)));
    /* Timed as the player runs it: without the probe's host services and
     * without the drain hook, which under Wine costs a server round trip on
     * every message the walk sends. */
    P().hostServices = host.services();
    if (g_drainHook)
        UnhookWindowsHookEx(g_drainHook);
    g_drainHook = nullptr;
    DialogRecorder recorder;
    /* The better of two walks, so a busy machine does not decide it. */
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double ms = 1e9;
    for (int run = 0; run < 2; ++run) {
        QueryPerformanceCounter(&start);
        EXPECT_EQ(P().GetLength(item), static_cast<int32_t>(kFrames * 100));
        QueryPerformanceCounter(&end);
        ms = std::min(ms, 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }
    std::printf("walk of %u frames: %.1f ms (%.3f ms per frame)\n", kFrames, ms, ms / kFrames);
    ASSERT_EQ(recorder.dialogs().size(), 2u) << "the walks ran without their window";
    EXPECT_LT(ms / kFrames, 1.0) << "the drain spins instead of ending once the window has painted";
}

TEST_F(VelmoraWalk, WalkingOffOrNothingToWalkShowsNoWindow)
{
    DialogRecorder recorder;
    Bytes notAMovie(400, 1);
    EXPECT_EQ(P().GetLength(host.AddItem(notAMovie)), -1);
    EXPECT_EQ(P().GetLength(host.AddItem(DeclaringMovie(0x00, 0, {2205}))), -1) << "a rate of 0";
    EXPECT_TRUE(recorder.dialogs().empty());

    ScratchIni off;
    off.Write("[" VELMORA_NAME "]\r\nNoWalk=on\r\n");
    plugin.reset();
    plugin = std::make_unique<LoadedPlugin>(TEST_PLUGIN_DLL, host.services(), window->hwnd(), off.path());
    ASSERT_TRUE(plugin->ok());
    host.counters = {};
    EXPECT_EQ(P().GetLength(host.AddItem(DeclaringMovie(0x00, 22050, {2205}))), -1);
    EXPECT_EQ(host.counters.total(), 0u);
    EXPECT_TRUE(recorder.dialogs().empty());
}

/* The chunk headers of a movie, counted the way a scan walks them. */
size_t ChunksOf(const Bytes &movie)
{
    size_t n = 0;
    for (size_t at = 26; at + 4 <= movie.size(); ++n)
        at += 4 + (movie[at] | (movie[at + 1] << 8));
    return n;
}

TEST_F(VelmoraWalk, ScanningReportsItsProgressToTheStatusWindowInOrder)
{
    StatusWindow status;
    ASSERT_NE(status.hwnd(), nullptr);
    const Bytes a = MakeMovie(1, 16, true, 400).file, b = MakeMovie(2, 8, false, 200).file;
    ResourceItem *raw = host.AddItem(Cat({Bytes(37, 0xAB), a, b}), "disc.raw", "RAW");
    ContainerFile *cf = host.ContainerOf(raw);

    uint32_t end = 0;
    ResourceInfo *info = P().ScanFile(status.hwnd(), cf, 0, 37, &end);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->startOffset, 37u);
    EXPECT_EQ(info->size, a.size());
    EXPECT_EQ(end, 37u + a.size());
    EXPECT_EQ(GlobalFree(info), nullptr) << "the host can free what it was given";

    const std::vector<StatusWindow::Message> &m = status.messages();
    const size_t chunks = ChunksOf(a);
    ASSERT_EQ(m.size(), chunks + 3);
    EXPECT_EQ(m[0].message, kText);
    EXPECT_EQ(m[0].text, "Verifying MVE file...");
    EXPECT_EQ(m[1].message, kText);
    EXPECT_EQ(m[1].text, "Walking MVE blocks chain...");
    for (size_t i = 2; i < 2 + chunks; ++i) {
        EXPECT_EQ(m[i].message, kChunk) << i;
        EXPECT_EQ(m[i].lParam, reinterpret_cast<LPARAM>(cf)) << i;
    }
    EXPECT_EQ(m.back().message, kText);
    EXPECT_EQ(m.back().text, "MVE file correct.");
    for (const StatusWindow::Message &msg : m)
        EXPECT_EQ(msg.wParam, 0u);

    /* The second movie from where the first ended. */
    status.Clear();
    info = P().ScanFile(status.hwnd(), cf, 0, end, &end);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->size, b.size());
    EXPECT_EQ(status.Count(kChunk), ChunksOf(b));
    GlobalFree(info);

    /* Junk where a header should be: only the first message. */
    status.Clear();
    EXPECT_EQ(P().ScanFile(status.hwnd(), cf, 0, 5, &end), nullptr);
    EXPECT_EQ(status.Texts(), std::vector<std::string>{"Verifying MVE file..."});
    EXPECT_EQ(status.messages().size(), 1u);
}

} // namespace
