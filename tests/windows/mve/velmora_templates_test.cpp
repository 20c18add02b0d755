/* velmora's dialog templates as stored in the DLL: "ABOUT", "INFOBOX",
 * "WALKING" and "CONFIG", looked up by the names the code uses. */
#include "velmora_fixture.h"

#include "dialog_template.h"

namespace {

struct ExpectedItem {
    int id;
    const char *className;
    const char *text; /* NULL: found by ID alone */
    short x, y, cx, cy;
    DWORD styleBits; /* all of these set */
    DWORD typeMask;  /* (style & typeMask) == type */
    DWORD type;
};

const DWORD kModalStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const DWORD kGroup = 0xF, kPush = 0xF, kLabel = SS_TYPEMASK;

void ExpectDialog(const DialogTemplate &t, const char *caption, short cx, short cy, DWORD style)
{
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.style & style, style) << std::hex << t.style;
    EXPECT_EQ(t.typeface, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
}

void ExpectItems(const DialogTemplate &t, const std::vector<ExpectedItem> &expected, size_t others = 0)
{
    EXPECT_EQ(t.items.size(), expected.size() + others);
    for (const ExpectedItem &e : expected) {
        const DialogItemTemplate *item = nullptr;
        for (const DialogItemTemplate &i : t.items)
            if (i.id == e.id && (!e.text || i.text == e.text))
                item = &i;
        const std::string what = std::to_string(e.id) + " \"" + (e.text ? e.text : "") + "\"";
        if (!item) {
            ADD_FAILURE() << "no control " << what;
            continue;
        }
        SCOPED_TRACE("control " + what);
        /* Class names are matched regardless of case (resource compilers
         * store custom ones in capitals). */
        EXPECT_EQ(lstrcmpiA(item->className.c_str(), e.className), 0) << item->className;
        EXPECT_EQ(item->x, e.x);
        EXPECT_EQ(item->y, e.y);
        EXPECT_EQ(item->cx, e.cx);
        EXPECT_EQ(item->cy, e.cy);
        const DWORD must = e.styleBits | WS_CHILD | WS_VISIBLE;
        EXPECT_EQ(item->style & must, must) << std::hex << item->style;
        EXPECT_EQ(item->style & e.typeMask, e.type) << std::hex << item->style;
    }
}

const DialogItemTemplate *StaticAt(const DialogTemplate &t, short x, short y)
{
    for (const DialogItemTemplate &item : t.items)
        if (item.className == "Static" && item.x == x && item.y == y)
            return &item;
    return nullptr;
}

class VelmoraTemplates : public Velmora {};

TEST_F(VelmoraTemplates, AboutBox)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "About", t));
    ExpectDialog(t, "About ORV KORVAT Plug-In", 149, 146, kModalStyle | DS_3DLOOK);
    ExpectItems(t, {{-1, "Button", "Credits", 5, 3, 139, 75, 0, kGroup, BS_GROUPBOX},
                    {-1, "Button", "License", 5, 81, 139, 41, 0, kGroup, BS_GROUPBOX},
                    {IDOK, "Button", "O&K", 50, 127, 49, 14, WS_TABSTOP, kPush, BS_DEFPUSHBUTTON}},
                2);
    const DialogItemTemplate *credits = StaticAt(t, 10, 15);
    ASSERT_NE(credits, nullptr);
    EXPECT_EQ(credits->id, -1);
    EXPECT_EQ(credits->cx, 130);
    EXPECT_EQ(credits->cy, 58);
    const size_t eol = credits->text.find_first_of("\r\n");
    ASSERT_NE(eol, std::string::npos) << "lines about the maker and the acknowledgement follow";
    EXPECT_EQ(credits->text.substr(0, eol), "ORV KORVAT Audio File Plug-In v0.90");
    const DialogItemTemplate *licence = StaticAt(t, 10, 92);
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(licence->id, -1);
    EXPECT_EQ(licence->cx, 130);
    EXPECT_EQ(licence->cy, 25);
    EXPECT_EQ(licence->text, "This plug-in is free software, distributed without any warranty.");
}

TEST_F(VelmoraTemplates, InfoBox)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "InfoBox", t));
    ExpectDialog(t, "KORVAT File Info Box", 215, 90, kModalStyle | DS_3DLOOK);
    const DWORD field = WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    const DWORD summary = WS_BORDER | WS_TABSTOP | ES_READONLY | ES_MULTILINE;
    ExpectItems(t, {{-1, "Static", "Resource Name", 4, 8, 52, 8, 0, kLabel, SS_RIGHT},
                    {1000, "Edit", nullptr, 58, 6, 150, 12, field, 0, 0},
                    {-1, "Static", "File Data String", 4, 22, 51, 8, 0, kLabel, SS_RIGHT},
                    {1001, "Edit", nullptr, 58, 20, 150, 12, field, 0, 0},
                    {-1, "Button", "Data Format", 4, 33, 117, 52, 0, 0xF | BS_CENTER, BS_GROUPBOX | BS_LEFT},
                    {1002, "Edit", nullptr, 7, 43, 110, 38, summary, 0, 0},
                    {-1, "Static", "File Size", 123, 39, 27, 8, 0, kLabel, SS_RIGHT},
                    {1003, "Edit", nullptr, 154, 37, 54, 12, field, 0, 0},
                    {-1, "Static", "Length", 123, 54, 27, 8, 0, kLabel, SS_RIGHT},
                    {1004, "Edit", nullptr, 154, 52, 54, 12, field, 0, 0},
                    {IDOK, "Button", "O&K", 168, 72, 40, 14, WS_TABSTOP, kPush, BS_DEFPUSHBUTTON}});
}

TEST_F(VelmoraTemplates, WalkingWindow)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "Walking", t));
    ExpectDialog(t, "Walking", 173, 38, WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT);
    EXPECT_EQ(t.style & WS_SYSMENU, 0u) << "nothing to close it with";
    ExpectItems(t, {{-1, "Static", "Walking MVE blocks chain. Please wait...", 20, 6, 132, 8, 0, 0, 0},
                    {1012, "msctls_progress32", "Progress1", 8, 18, 157, 9, 0, 0, 0}});
}

TEST_F(VelmoraTemplates, ConfigurationDialog)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "Config", t));
    ExpectDialog(t, "KORVAT Plug-In Configuration", 207, 71, kModalStyle);
    ExpectItems(t, {{-1, "Button", "MVE time calculation method", 5, 6, 141, 54, 0, kGroup, BS_GROUPBOX},
                    {1010, "Button", "Don't &use walking for time calculation", 11, 29, 131, 10, WS_TABSTOP, kGroup,
                     BS_AUTOCHECKBOX},
                    {IDOK, "Button", "O&K", 152, 10, 50, 14, WS_TABSTOP, kPush, BS_DEFPUSHBUTTON},
                    {IDCANCEL, "Button", "Ca&ncel", 152, 28, 50, 14, WS_TABSTOP, kPush, BS_PUSHBUTTON},
                    {1008, "Button", "&Defaults", 152, 46, 50, 14, WS_TABSTOP, kPush, BS_PUSHBUTTON}});
}

} // namespace
