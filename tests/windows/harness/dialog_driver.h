/* Driving the modal windows a plug-in opens on the test's own thread.
 *
 * A plug-in's About box, info box or message box runs its own modal loop
 * inside the entry point, so the test cannot act between "opened" and
 * "closed" by ordinary means.  ModalDriver arms a thread timer before the
 * call; timers are dispatched by the modal loop itself, so each tick runs in
 * the middle of that loop.  Once the window shows up, one scripted step is
 * run per tick.  WM_TIMER is only generated when nothing else is queued, so
 * everything a step posts (keys, commands) has gone through the modal loop —
 * IsDialogMessage included — before the next step looks at the result.
 * One driver runs at a time (timer procedures carry no context). */
#ifndef TESTS_WINDOWS_HARNESS_DIALOG_DRIVER_H
#define TESTS_WINDOWS_HARNESS_DIALOG_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalDriver {
public:
    using Step = std::function<void(HWND window)>;

    /* Looks for a visible dialog-class window ("#32770") owned by owner;
     * when caption is not empty, only one with exactly that caption. */
    explicit ModalDriver(HWND owner, std::string caption = std::string());
    ~ModalDriver();
    ModalDriver(const ModalDriver &) = delete;
    ModalDriver &operator=(const ModalDriver &) = delete;

    /* Queues a step; steps run in order, one per timer tick. */
    ModalDriver &Then(Step step);

    /* Calls open (which is expected to run a modal loop) with the timer
     * armed.  If the window is still open some time after the last step, or
     * never appears while the loop runs, it is ended with EndDialog(-99) so
     * that a failing test cannot hang; so is any further dialog the owner
     * gets once the script is done. */
    void Run(const std::function<void()> &open);

    bool found() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    size_t stepsRun() const { return next_; }
    bool forcedClose() const { return forced_; }
    /* Was the window still there after the last step had run? */
    bool openAfterLastStep() const { return openAfterLast_; }
    /* The caption of a dialog that appeared after the scripted one had
     * closed (and was ended by force), or "". */
    const std::string &unexpectedWindow() const { return unexpected_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void OnTick();
    HWND Search() const;

    HWND owner_;
    std::string caption_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    HWND window_ = nullptr;
    UINT_PTR timer_ = 0;
    DWORD startTick_ = 0;
    DWORD lastStepTick_ = 0;
    bool busy_ = false;
    bool forced_ = false;
    bool openAfterLast_ = false;
    std::string unexpected_;
};

/* --- reading windows ---------------------------------------------------- */

std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
std::string ItemText(HWND dialog, int id);
/* Direct children in Z order. */
std::vector<HWND> ChildWindows(HWND parent);
/* A child's window rectangle in the parent's client coordinates. */
RECT RectInClient(HWND parent, HWND child);
/* A rectangle in dialog units converted to the dialog's pixels the way the
 * dialog manager places controls (MapDialogRect of origin and size). */
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int cx, int cy);
/* Is window a live, visible window? */
bool IsShown(HWND window);

/* --- acting on them ------------------------------------------------------ */

/* Esc as the keyboard gives it: WM_KEYDOWN/WM_KEYUP VK_ESCAPE posted to the
 * control that has the focus (the dialog itself when none of its controls
 * does), so the modal loop's IsDialogMessage sees it. */
void PostEscape(HWND dialog);
/* WM_COMMAND with the control's ID and BN_CLICKED, sent to the dialog. */
void SendCommand(HWND dialog, int id);
/* BM_CLICK on the dialog's control id, as a mouse click would. */
void ClickButton(HWND dialog, int id);

/* --- message boxes -------------------------------------------------------- */

/* The message text of a message box (its non-icon static), or "". */
std::string MessageBoxText(HWND box);
/* The icon a message box shows, or NULL. */
HICON MessageBoxIcon(HWND box);
/* The IDs of its push buttons. */
std::vector<int> MessageBoxButtons(HWND box);

/* What a message box owned by owner and captioned caption showed while call
 * ran; it is answered with OK.  found is false when none appeared;
 * followedBy names any other window that had to be ended after it. */
struct MessageBoxSeen {
    bool found = false;
    std::string text;
    HICON icon = nullptr;
    std::vector<int> buttons;
    bool followed = false;
    std::string followedBy;
};
MessageBoxSeen CatchMessageBox(HWND owner, const char *caption, const std::function<void()> &call);

#endif
