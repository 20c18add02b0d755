/* The user-interface half of the Win32 services, for the page.
 *
 * A plug-in's dialogs are not drawn: the page shows what they would show.
 * A dialog is created from the module's template (web_module.h) and runs
 * its procedure as Windows would -- WM_INITDIALOG, SetDlgItemTextA, the
 * check boxes -- and then:
 *   - a modal dialog (the info box, About) is reported to the page with
 *     every edit field's label and text, and closed with OK as a user would
 *     after reading it;
 *   - a modeless one (velmora's walk) reports its caption, its text and
 *     each step of its progress bar while it lives.
 * The host's own windows (its main window, the scan's status window) are
 * windows without a template: the texts sent to them go to the page.
 * Message boxes go to the page as well.  There is no message queue. */
#include "web_module.h"
#include "page_events.h"

#include "common/winapi.h"

#include <cctype>
#include <map>
#include <set>
#include <string>

namespace {

struct WebWindow {
    const WebDialog *dialog = nullptr; /* NULL: one of the host's windows */
    HWND owner = nullptr;
    DLGPROC proc = nullptr;
    const char *hostRole = "";         /* the host's window: "main", "status" */
    bool ended = false;
    INT_PTR result = 0;
    std::string caption;
    std::map<int, std::string> texts;
    std::map<int, UINT> checks;
};

std::set<WebWindow *> g_windows;
HWND g_focus = nullptr;

WebWindow *Find(HWND h)
{
    WebWindow *w = static_cast<WebWindow *>(h);
    return g_windows.count(w) ? w : nullptr;
}

bool SameName(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        const int x = std::tolower(static_cast<unsigned char>(*a));
        const int y = std::tolower(static_cast<unsigned char>(*b));
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

WebWindow *Create(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc)
{
    const WebDialog *dialog = FindWebDialog(static_cast<const WebModule *>(instance), name);
    if (!dialog || !proc)
        return nullptr; /* as Windows fails a template the module does not have */
    WebWindow *w = new WebWindow;
    w->dialog = dialog;
    w->owner = owner;
    w->proc = proc;
    w->caption = dialog->caption;
    g_windows.insert(w);
    return w;
}

void Destroy(WebWindow *w)
{
    g_windows.erase(w);
    if (g_focus == w)
        g_focus = nullptr;
    delete w;
}

/* What a modal dialog shows, field by field in the template's order. */
void ReportDialog(const WebWindow &w)
{
    PageEvent("dialog", w.dialog->name, w.caption.c_str(), 0);
    for (unsigned i = 0; i < w.dialog->count; ++i) {
        const WebControl &c = w.dialog->controls[i];
        const auto text = w.texts.find(c.id);
        if (c.id >= 0 && text != w.texts.end())
            PageEvent("field", c.text, text->second.c_str(), c.id);
    }
}

} // namespace

extern "C" {

const WebDialog *FindWebDialog(const WebModule *module, const char *name)
{
    if (!module || !name)
        return nullptr;
    for (unsigned i = 0; i < module->dialogCount; ++i)
        if (SameName(module->dialogs[i].name, name))
            return &module->dialogs[i];
    return nullptr;
}

/* The host's own window of a role ("main", "status"), for the host. */
HWND WebHostWindow(const char *role)
{
    WebWindow *w = new WebWindow;
    w->hostRole = role;
    g_windows.insert(w);
    return w;
}

void WebCloseHostWindow(HWND h)
{
    if (WebWindow *w = Find(h))
        Destroy(w);
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    WebWindow *w = Create(instance, name, owner, proc);
    if (!w)
        return -1;
    proc(w, WM_INITDIALOG, 0, param);
    if (!w->ended) {
        ReportDialog(*w);
        proc(w, WM_COMMAND, IDOK, 0);
    }
    if (!w->ended)
        proc(w, WM_CLOSE, 0, 0);
    const INT_PTR result = w->ended ? w->result : 0;
    Destroy(w);
    return result;
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    WebWindow *w = Create(instance, name, owner, proc);
    if (!w)
        return nullptr;
    for (unsigned i = 0; i < w->dialog->count; ++i)
        if (w->dialog->controls[i].id < 0)
            PageEvent("window-text", w->dialog->name, w->dialog->controls[i].text, 0);
    proc(w, WM_INITDIALOG, 0, param);
    return w;
}

BOOL EndDialog(HWND h, INT_PTR result)
{
    WebWindow *w = Find(h);
    if (!w || !w->dialog)
        return FALSE;
    w->ended = true;
    w->result = result;
    return TRUE;
}

BOOL DestroyWindow(HWND h)
{
    WebWindow *w = Find(h);
    if (!w || !w->dialog)
        return FALSE;
    PageEvent("window-closed", w->dialog->name, "", 0);
    Destroy(w);
    return TRUE;
}

BOOL SetDlgItemTextA(HWND h, int id, LPCSTR text)
{
    WebWindow *w = Find(h);
    if (!w || !w->dialog)
        return FALSE;
    w->texts[id] = text ? text : "";
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND h, int, UINT message, WPARAM wParam, LPARAM)
{
    WebWindow *w = Find(h);
    if (!w || !w->dialog)
        return 0;
    if (message == PBM_SETPOS)
        PageEvent("progress", w->dialog->name, w->caption.c_str(), static_cast<double>(wParam));
    return 0;
}

LRESULT SendMessageA(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    WebWindow *w = Find(h);
    if (!w)
        return 0;
    if (w->dialog)
        return w->proc(w, message, wParam, lParam);
    /* The scan's status texts. */
    if (message == WM_USER + 6 && lParam)
        PageEvent("status", w->hostRole, reinterpret_cast<const char *>(lParam), 0);
    return 0;
}

BOOL CheckDlgButton(HWND h, int id, UINT check)
{
    WebWindow *w = Find(h);
    if (!w || !w->dialog)
        return FALSE;
    w->checks[id] = check;
    return TRUE;
}

UINT IsDlgButtonChecked(HWND h, int id)
{
    WebWindow *w = Find(h);
    if (!w)
        return BST_UNCHECKED;
    const auto c = w->checks.find(id);
    return c == w->checks.end() ? BST_UNCHECKED : c->second;
}

HWND GetWindow(HWND h, UINT relation)
{
    WebWindow *w = Find(h);
    return w && relation == GW_OWNER ? w->owner : nullptr;
}

/* The page has no screen geometry to offer: every window is a 640 x 480
 * desktop's, centred dialogs land where they land. */
BOOL GetWindowRect(HWND h, RECT *rect)
{
    if (!Find(h) || !rect)
        return FALSE;
    *rect = RECT{0, 0, 320, 200};
    return TRUE;
}

BOOL SetWindowPos(HWND h, HWND, int, int, int, int, UINT) { return Find(h) ? TRUE : FALSE; }

BOOL SystemParametersInfoA(UINT action, UINT, void *param, UINT)
{
    if (action != SPI_GETWORKAREA || !param)
        return FALSE;
    *static_cast<RECT *>(param) = RECT{0, 0, 640, 480};
    return TRUE;
}

BOOL SetWindowTextA(HWND h, LPCSTR text)
{
    WebWindow *w = Find(h);
    if (!w)
        return FALSE;
    w->caption = text ? text : "";
    if (w->dialog)
        PageEvent("window-caption", w->dialog->name, w->caption.c_str(), 0);
    return TRUE;
}

HWND GetFocus(void) { return g_focus; }

HWND SetFocus(HWND h)
{
    HWND before = g_focus;
    g_focus = Find(h) ? h : nullptr;
    return before;
}

BOOL UpdateWindow(HWND h) { return Find(h) ? TRUE : FALSE; }
BOOL RedrawWindow(HWND h, const RECT *, void *, UINT) { return Find(h) ? TRUE : FALSE; }
BOOL PeekMessageA(MSG *, HWND, UINT, UINT, UINT) { return FALSE; }

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    PageEvent("message-box", caption ? caption : "", text ? text : "", type);
    return IDOK;
}

/* LoadStringA: the module handle is the module's WebModule. */
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    if (size == 0)
        return -1;
    if (!buffer || size < 0)
        return 0;
    const WebModule *module = static_cast<const WebModule *>(instance);
    const ModuleStringTable *table = module ? module->strings : nullptr;
    const ModuleString *s = nullptr;
    for (unsigned i = 0; table && i < table->count && !s; ++i)
        if (table->strings[i].id == LOWORD(id))
            s = &table->strings[i];
    const unsigned room = static_cast<unsigned>(size) - 1;
    const unsigned n = !s ? 0 : s->length < room ? s->length : room;
    for (unsigned i = 0; i < n; ++i)
        buffer[i] = s->text[i];
    buffer[n] = '\0';
    return static_cast<int>(n);
}

} /* extern "C" */
