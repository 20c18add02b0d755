#include "template_layout.h"

#include "dialog_driver.h"

#include <sstream>

namespace {
std::string Describe(const RECT &r)
{
    std::ostringstream s;
    s << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
    return s.str();
}

bool Same(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

std::vector<std::string> LayoutMismatches(HWND dialog, const DialogTemplate &t)
{
    std::vector<std::string> out;
    RECT client = {0, 0, 0, 0};
    GetClientRect(dialog, &client);
    const RECT want = DialogUnitsToPixels(dialog, 0, 0, t.cx, t.cy);
    if (!Same(client, want))
        out.push_back("client area " + Describe(client) + ", template " + Describe(want));

    /* Controls are created in template order, which is also their Z order. */
    const std::vector<HWND> children = ChildWindows(dialog);
    if (children.size() != t.items.size())
        out.push_back("controls: " + std::to_string(children.size()) + ", template " +
                      std::to_string(t.items.size()));
    for (size_t i = 0; i < children.size() && i < t.items.size(); ++i) {
        const DialogItemTemplate &item = t.items[i];
        const std::string which = "control " + std::to_string(i) + " (" + std::to_string(item.id) + " \"" +
                                  item.text + "\")";
        if (lstrcmpiA(ClassNameOf(children[i]).c_str(), item.className.c_str()) != 0)
            out.push_back(which + " class " + ClassNameOf(children[i]));
        if (static_cast<short>(GetDlgCtrlID(children[i])) != item.id)
            out.push_back(which + " ID " + std::to_string(GetDlgCtrlID(children[i])));
        const RECT at = RectInClient(dialog, children[i]);
        const RECT expect = DialogUnitsToPixels(dialog, item.x, item.y, item.cx, item.cy);
        if (!Same(at, expect))
            out.push_back(which + " at " + Describe(at) + ", template " + Describe(expect));
    }
    return out;
}
