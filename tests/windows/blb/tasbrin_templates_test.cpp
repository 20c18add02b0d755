/* tasbrin's "ABOUT" and "INFOBOX" dialog templates as stored in the DLL. */
#include "tasbrin_fixture.h"

#include "dialog_template.h"

namespace {

struct ExpectedItem {
    int id;
    const char *className;
    const char *text;
    short x, y, cx, cy;
    DWORD styleBits;  /* all of these set */
    DWORD typeMask;   /* (style & typeMask) == type */
    DWORD type;
};

const DWORD kDialogStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT;

void ExpectDialog(const DialogTemplate &t, const char *caption, short cx, short cy)
{
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.style & kDialogStyle, kDialogStyle) << std::hex << t.style;
    EXPECT_TRUE(t.hasFont);
    EXPECT_EQ(t.typeface, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
}

const DialogItemTemplate *ById(const DialogTemplate &t, int id)
{
    for (const DialogItemTemplate &item : t.items)
        if (item.id == id)
            return &item;
    return nullptr;
}

/* others: controls the caller checks on its own. */
void ExpectItems(const DialogTemplate &t, const std::vector<ExpectedItem> &expected, size_t others = 0)
{
    EXPECT_EQ(t.items.size(), expected.size() + others);
    for (const ExpectedItem &e : expected) {
        /* Fields are found by ID alone: their template text is not fixed. */
        const DialogItemTemplate *item = e.text ? t.Find(e.id, e.text) : ById(t, e.id);
        const std::string what = std::to_string(e.id) + " \"" + (e.text ? e.text : "") + "\"";
        if (!item) {
            ADD_FAILURE() << "no control " << what;
            continue;
        }
        SCOPED_TRACE("control " + what);
        EXPECT_EQ(item->className, e.className);
        EXPECT_EQ(item->x, e.x);
        EXPECT_EQ(item->y, e.y);
        EXPECT_EQ(item->cx, e.cx);
        EXPECT_EQ(item->cy, e.cy);
        EXPECT_EQ(item->style & (e.styleBits | WS_CHILD | WS_VISIBLE), e.styleBits | WS_CHILD | WS_VISIBLE)
            << std::hex << item->style;
        EXPECT_EQ(item->style & e.typeMask, e.type) << std::hex << item->style;
    }
}

/* The static beside a group box whose text is not fixed, found by place. */
const DialogItemTemplate *StaticAt(const DialogTemplate &t, short x, short y)
{
    for (const DialogItemTemplate &item : t.items)
        if (item.className == "Static" && item.x == x && item.y == y)
            return &item;
    return nullptr;
}

class TasbrinTemplates : public Tasbrin {};

TEST_F(TasbrinTemplates, AboutBox)
{
    DialogTemplate t;
    /* Looked up by name the way the code asks for it. */
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "About", t));
    ExpectDialog(t, "About ORV TIRLEN Plug-In", 164, 113);
    const DWORD groupMask = 0xF, pushMask = 0xF;
    ExpectItems(t, {{-1, "Button", "Credits", 5, 3, 153, 41, 0, groupMask, BS_GROUPBOX},
                    {-1, "Button", "License", 5, 48, 153, 41, 0, groupMask, BS_GROUPBOX},
                    {IDOK, "Button", "O&K", 57, 94, 49, 14, WS_TABSTOP, pushMask, BS_DEFPUSHBUTTON}},
                2);
    const DialogItemTemplate *credits = StaticAt(t, 13, 15);
    ASSERT_NE(credits, nullptr);
    EXPECT_EQ(credits->id, -1);
    EXPECT_EQ(credits->cx, 140);
    EXPECT_EQ(credits->cy, 25);
    EXPECT_EQ(credits->text.substr(0, credits->text.find_first_of("\r\n")), "ORV TIRLEN Audio File Plug-In v1.00");
    EXPECT_NE(credits->text.find_first_of("\r\n"), std::string::npos) << "lines about the maker follow";
    const DialogItemTemplate *licence = StaticAt(t, 13, 59);
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(licence->id, -1);
    EXPECT_EQ(licence->cx, 141);
    EXPECT_EQ(licence->cy, 25);
    EXPECT_FALSE(licence->text.empty()) << "the licence sentence";
}

TEST_F(TasbrinTemplates, InfoBox)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "InfoBox", t));
    ExpectDialog(t, "TIRLEN File Info Box", 215, 100);

    const DWORD label = 0, labelMask = SS_TYPEMASK;
    const DWORD field = WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    const DWORD summary = WS_BORDER | WS_TABSTOP | ES_READONLY | ES_MULTILINE;
    const DWORD groupLeft = BS_LEFT; /* BS_CENTER covers the alignment bits */
    ExpectItems(t, {{-1, "Static", "Resource Name", 4, 8, 51, 8, label, labelMask, SS_RIGHT},
                    {1001, "Edit", nullptr, 58, 6, 150, 12, field, 0, 0},
                    {-1, "Static", "File Data String", 4, 22, 51, 8, label, labelMask, SS_RIGHT},
                    {1002, "Edit", nullptr, 58, 20, 150, 12, field, 0, 0},
                    {-1, "Button", "Data Format", 5, 33, 106, 60, 0, 0xF | BS_CENTER, BS_GROUPBOX | groupLeft},
                    {1003, "Edit", nullptr, 9, 43, 98, 46, summary, 0, 0},
                    {-1, "Static", "File Size", 115, 39, 27, 8, label, labelMask, SS_RIGHT},
                    {1004, "Edit", nullptr, 145, 37, 63, 12, field, 0, 0},
                    {-1, "Static", "Length", 115, 54, 27, 8, label, labelMask, SS_RIGHT},
                    {1005, "Edit", nullptr, 145, 52, 63, 12, field, 0, 0},
                    {IDOK, "Button", "O&K", 168, 79, 40, 14, WS_TABSTOP, 0xF, BS_DEFPUSHBUTTON}});
}

} // namespace
