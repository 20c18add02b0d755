#include "dialog_driver.h"

namespace {
const UINT kTickMs = 25;
const DWORD kAppearTimeoutMs = 5000;
const DWORD kCloseTimeoutMs = 3000;
ModalDriver *g_active = nullptr; /* timer procedures carry no context */

struct SearchContext {
    HWND owner;
    const std::string *caption;
    HWND found;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM param)
{
    SearchContext &c = *reinterpret_cast<SearchContext *>(param);
    if (!IsWindowVisible(window) || ClassNameOf(window) != "#32770")
        return TRUE;
    if (GetWindow(window, GW_OWNER) != c.owner)
        return TRUE;
    if (!c.caption->empty() && WindowText(window) != *c.caption)
        return TRUE;
    c.found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    std::vector<HWND> &all = *reinterpret_cast<std::vector<HWND> *>(param);
    all.push_back(window);
    return TRUE;
}

bool IsIconStatic(HWND window)
{
    return ClassNameOf(window) == "Static" &&
           (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}
} // namespace

ModalDriver::ModalDriver(HWND owner, std::string caption) : owner_(owner), caption_(std::move(caption)) {}

ModalDriver::~ModalDriver()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    if (g_active == this)
        g_active = nullptr;
}

ModalDriver &ModalDriver::Then(Step step)
{
    steps_.push_back(std::move(step));
    return *this;
}

void ModalDriver::Run(const std::function<void()> &open)
{
    g_active = this;
    startTick_ = GetTickCount();
    timer_ = SetTimer(nullptr, 0, kTickMs, Tick);
    open();
    KillTimer(nullptr, timer_);
    timer_ = 0;
    g_active = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_active)
        g_active->OnTick();
}

HWND ModalDriver::Search() const
{
    SearchContext c = {owner_, &caption_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), ConsiderWindow, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

void ModalDriver::OnTick()
{
    if (busy_)
        return;
    busy_ = true;
    const DWORD now = GetTickCount();
    if (!window_) {
        window_ = Search();
        lastStepTick_ = now;
        if (!window_ && now - startTick_ > kAppearTimeoutMs) {
            /* Something modal is running but it is not the window we expect:
             * end whatever dialog this thread has in front. */
            const HWND other = GetActiveWindow();
            if (other && other != owner_) {
                forced_ = true;
                EndDialog(other, -99);
            }
        }
    } else if (next_ < steps_.size()) {
        steps_[next_++](window_);
        lastStepTick_ = GetTickCount();
    } else if (IsShown(window_)) {
        openAfterLast_ = true;
        if (now - lastStepTick_ > kCloseTimeoutMs) {
            forced_ = true;
            EndDialog(window_, -99);
        }
    } else {
        /* The script is done; anything the owner still gets shown is a
         * window the test did not expect. */
        const std::string any;
        SearchContext c = {owner_, &any, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), ConsiderWindow, reinterpret_cast<LPARAM>(&c));
        if (c.found) {
            unexpected_ = WindowText(c.found);
            forced_ = true;
            EndDialog(c.found, -99);
        }
    }
    busy_ = false;
}

std::string WindowText(HWND window)
{
    char text[2048] = "";
    const int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

std::string ClassNameOf(HWND window)
{
    char name[256] = "";
    const int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

std::string ItemText(HWND dialog, int id)
{
    char text[2048] = "";
    const UINT n = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, n);
}

std::vector<HWND> ChildWindows(HWND parent)
{
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> direct;
    for (HWND w : all)
        if (GetParent(w) == parent)
            direct.push_back(w);
    return direct;
}

RECT RectInClient(HWND parent, HWND child)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

RECT DialogUnitsToPixels(HWND dialog, int x, int y, int cx, int cy)
{
    /* The dialog manager converts origin and size each on its own (not the
     * far corner), so the four values are mapped as they stand. */
    RECT r = {x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

bool IsShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

void PostEscape(HWND dialog)
{
    HWND target = GetFocus();
    if (!target || (target != dialog && !IsChild(dialog, target)))
        target = dialog;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

void SendCommand(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickButton(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

std::string MessageBoxText(HWND box)
{
    for (HWND child : ChildWindows(box))
        if (ClassNameOf(child) == "Static" && !IsIconStatic(child) && !WindowText(child).empty())
            return WindowText(child);
    return std::string();
}

HICON MessageBoxIcon(HWND box)
{
    for (HWND child : ChildWindows(box))
        if (IsIconStatic(child))
            return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    return nullptr;
}

std::vector<int> MessageBoxButtons(HWND box)
{
    std::vector<int> ids;
    for (HWND child : ChildWindows(box))
        if (ClassNameOf(child) == "Button" && IsWindowVisible(child))
            ids.push_back(GetDlgCtrlID(child));
    return ids;
}

MessageBoxSeen CatchMessageBox(HWND owner, const char *caption, const std::function<void()> &call)
{
    MessageBoxSeen seen;
    ModalDriver driver(owner, caption);
    driver.Then([&](HWND box) {
        seen.text = MessageBoxText(box);
        seen.icon = MessageBoxIcon(box);
        seen.buttons = MessageBoxButtons(box);
        SendCommand(box, IDOK);
    });
    driver.Run(call);
    seen.found = driver.found();
    seen.followed = driver.forcedClose();
    seen.followedBy = driver.unexpectedWindow();
    return seen;
}
