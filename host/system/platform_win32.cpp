/* plughost on Windows: plug-ins through LoadLibrary, a hidden main window
 * for the descriptor, a status window for scans, and the --dialog driver
 * that works the plug-in's modal dialogs from a thread timer (the dialogs'
 * own message loops dispatch it). */
#include "host/system/platform.h"

#include "host/system/utf16.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

const char kMainClass[] = "PlughostWindow";

DesktopWords g_words;

/* A line of the report, made with printf's rules. */
void SayLine(const char *format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vector<char> text(static_cast<size_t>(n > 0 ? n : 0) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    if (g_words.line)
        g_words.line(text.data());
}

const char kStatusClass[] = "PlughostStatus";

LRESULT CALLBACK StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 6 || message == WM_USER + 4) {
        auto *sink = reinterpret_cast<StatusSink *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (sink && *sink)
            (*sink)(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* --- the --dialog driver ------------------------------------------------- */

struct DialogDriver {
    std::vector<std::string> steps;
    size_t next = 0;
    int idleTicks = 0;  /* ticks without a dialog to work on */
    int afterTicks = 0; /* ticks a dialog stays open after the last step */
    bool failed = false;
    std::string problem;
    UINT_PTR timer = 0;
};
DialogDriver g_driver;

constexpr UINT kStepMs = 100;
constexpr int kMaxIdleTicks = 50;  /* 5 s for a dialog to appear */
constexpr int kMaxAfterTicks = 30; /* 3 s for the last one to go */

std::string ClassOf(HWND w)
{
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string TextOf(HWND w)
{
    wchar_t wide[1024] = L"";
    GetWindowTextW(w, wide, 1024);
    const std::string text = Utf8(wide);
    std::string out;
    for (const char *p = text.c_str(); *p; ++p) {
        if (*p == '\r')
            out += "\\r";
        else if (*p == '\n')
            out += "\\n";
        else
            out += *p;
    }
    return out;
}

BOOL CALLBACK FindDialog(HWND w, LPARAM found)
{
    if (ClassOf(w) == "#32770" && IsWindowVisible(w) && IsWindowEnabled(w)) {
        *reinterpret_cast<HWND *>(found) = w;
        return FALSE;
    }
    return TRUE;
}

HWND TopDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK DumpControl(HWND w, LPARAM)
{
    SayLine("  control %d %s \"%s\"\n", static_cast<short>(GetDlgCtrlID(w)), ClassOf(w).c_str(),
                 TextOf(w).c_str());
    return TRUE;
}

void Dump(HWND dialog)
{
    RECT r;
    GetWindowRect(dialog, &r);
    SayLine("dialog \"%s\" at %ld,%ld size %ldx%ld\n", TextOf(dialog).c_str(), (long)r.left, (long)r.top,
                 (long)(r.right - r.left), (long)(r.bottom - r.top));
    if (HWND owner = GetWindow(dialog, GW_OWNER)) {
        GetWindowRect(owner, &r);
        SayLine("  owner at %ld,%ld size %ldx%ld\n", (long)r.left, (long)r.top, (long)(r.right - r.left),
                     (long)(r.bottom - r.top));
    }
    EnumChildWindows(dialog, DumpControl, 0);
}

void Click(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control && ClassOf(control) == "Button")
        SendMessageA(control, BM_CLICK, 0, 0);
    else
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void Fail(const std::string &why)
{
    if (!g_driver.failed)
        g_driver.problem = why;
    g_driver.failed = true;
}

void CALLBACK DialogTick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver &d = g_driver;
    HWND dialog = TopDialog();
    if (d.next >= d.steps.size()) {
        d.afterTicks = dialog ? d.afterTicks + 1 : 0;
        if (dialog && d.afterTicks >= kMaxAfterTicks) {
            Fail("a dialog (\"" + TextOf(dialog) + "\") was still open after the last step; ended it");
            EndDialog(dialog, 0);
            d.afterTicks = 0;
        }
        return;
    }
    const std::string &step = d.steps[d.next];
    if (step == "wait") {
        ++d.next;
        return;
    }
    if (!dialog) {
        if (++d.idleTicks > kMaxIdleTicks) {
            Fail("no dialog appeared for step '" + step + "'");
            d.next = d.steps.size();
        }
        return;
    }
    d.idleTicks = 0;
    ++d.next;
    if (step == "dump") {
        Dump(dialog);
    } else if (step == "ok") {
        Click(dialog, IDOK);
    } else if (step == "cancel") {
        Click(dialog, IDCANCEL);
    } else if (step == "close") {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    } else if (step == "esc") {
        /* Through the dialog's own loop, as a key press would go. */
        HWND focus = GetFocus();
        HWND target = focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
        PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    } else {
        Click(dialog, std::stoi(step, nullptr, 0));
    }
}

class Win32Desktop : public HostDesktop {
public:
    Win32Desktop()
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        HINSTANCE self = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = self;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kMainClass;
        RegisterClassA(&wc);
        wc.lpfnWndProc = StatusProc;
        wc.lpszClassName = kStatusClass;
        RegisterClassA(&wc);
        /* Hidden, at a fixed place, so that dialogs centred on it land
         * predictably. */
        main_ = CreateWindowExA(0, kMainClass, "plughost", WS_OVERLAPPEDWINDOW, 100, 100, 640, 480,
                                nullptr, nullptr, self, nullptr);
        if (!main_)
            if (g_words.error)
                g_words.error("cannot create the main window (error " + std::to_string(GetLastError()) + ")");
    }
    ~Win32Desktop() override
    {
        if (main_)
            DestroyWindow(main_);
    }

    HWND MainWindow() override { return main_; }

    HWND OpenStatusWindow(StatusSink sink) override
    {
        sink_ = std::move(sink);
        HWND w = CreateWindowExA(0, kStatusClass, "plughost status", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        if (w)
            SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&sink_));
        return w;
    }
    void CloseStatusWindow(HWND window) override
    {
        if (window)
            DestroyWindow(window);
        sink_ = nullptr;
    }

    void StartDialogSteps(const std::string &steps) override
    {
        g_driver = DialogDriver();
        std::stringstream in(steps);
        for (std::string step; std::getline(in, step, ',');)
            if (!step.empty())
                g_driver.steps.push_back(step);
        g_driver.timer = SetTimer(nullptr, 0, kStepMs, DialogTick);
    }

    bool FinishDialogSteps(std::string &problem) override
    {
        if (g_driver.timer)
            KillTimer(nullptr, g_driver.timer);
        g_driver.timer = 0;
        if (!g_driver.failed && g_driver.next < g_driver.steps.size())
            Fail("step '" + g_driver.steps[g_driver.next] + "' was never carried out (no dialog was open)");
        problem = g_driver.problem;
        return !g_driver.failed;
    }

private:
    HWND main_ = nullptr;
    StatusSink sink_;
};

} // namespace

std::unique_ptr<HostDesktop> MakeHostDesktop(const DesktopWords &words)
{
    g_words = words;
    return std::make_unique<Win32Desktop>();
}


bool ShellLeavesWildcards() { return true; }

void WaitIfOwnConsole()
{
    DWORD processes[2];
    DWORD mode;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (GetConsoleProcessList(processes, 2) != 1 || !GetConsoleMode(in, &mode))
        return;
    std::fputs("Press Enter to close this window.", stderr);
    std::fflush(stderr);
    char line[16];
    DWORD got;
    ReadConsoleA(in, line, sizeof line, &got, nullptr);
}

std::string ProgramFolder()
{
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4)
        return std::string();
    const std::string p = Utf8(path);
    const size_t cut = p.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
}

std::string MakeTempFile(const std::string &, std::string &error)
{
    wchar_t dir[MAX_PATH + 1], name[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, dir);
    if (n == 0 || n > MAX_PATH || !GetTempFileNameW(dir, L"plh", 0, name)) {
        error = "cannot make a temporary file (error " + std::to_string(GetLastError()) + ")";
        return std::string();
    }
    return Utf8(name);
}
