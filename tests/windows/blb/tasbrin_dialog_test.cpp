/* tasbrin's About box, info box and warning boxes as the user meets them:
 * real windows on a display, driven from inside their modal loops. */
#include "tasbrin_fixture.h"

#include "dialog_driver.h"
#include "template_layout.h"

namespace {

const char kSummaryRaw[] =
    "Compression: None\r\nShift: 0xFF\r\nChannels: 1 (mono)\r\nSample Rate: 22050 Hz\r\nResolution: 16-bit";
const char kSummaryShift4[] =
    "Compression: DW ADPCM\r\nShift: 0x04\r\nChannels: 1 (mono)\r\nSample Rate: 22050 Hz\r\nResolution: 16-bit";

std::string FirstLine(const std::string &text) { return text.substr(0, text.find_first_of("\r\n")); }

/* Where a dialog of the given size belongs: centred over the owner, each
 * axis pushed back inside the work area by one correction. */
POINT CentredOver(const RECT &owner, LONG w, LONG h)
{
    const RECT work = WorkArea();
    auto place = [](LONG start, LONG end, LONG size, LONG workStart, LONG workEnd) {
        LONG pos = start + (end - start - size) / 2;
        if (pos < workStart)
            pos = workStart;
        else if (pos + size > workEnd)
            pos = workEnd - size;
        return pos;
    };
    return POINT{place(owner.left, owner.right, w, work.left, work.right),
                 place(owner.top, owner.bottom, h, work.top, work.bottom)};
}

/* What a step saw of the dialog, checked after the dialog has gone. */
struct Seen {
    std::string caption;
    RECT rect{};
    RECT ownerRect{};
    std::vector<std::string> layout;
    std::map<int, std::string> texts;
    std::map<int, LONG> styles;
    bool openAfterEsc = false;
    bool openAfterCancel = false;
    bool openAfterClose = false;
};

void Look(HWND dialog, HWND owner, Seen &seen)
{
    seen.caption = WindowText(dialog);
    GetWindowRect(dialog, &seen.rect);
    GetWindowRect(owner, &seen.ownerRect);
}

void ExpectCentred(const Seen &seen)
{
    const POINT at = CentredOver(seen.ownerRect, seen.rect.right - seen.rect.left, seen.rect.bottom - seen.rect.top);
    EXPECT_EQ(seen.rect.left, at.x);
    EXPECT_EQ(seen.rect.top, at.y);
}

class TasbrinDialogs : public Tasbrin {
protected:
    /* Opens the About box, tries Esc and IDCANCEL on it, then presses OK. */
    INT_PTR DriveAbout(Seen &seen)
    {
        DialogTemplate t;
        EXPECT_TRUE(LoadDialogTemplate(plugin->module(), "ABOUT", t));
        const HWND owner = window->hwnd();
        ModalDriver driver(owner, "About ORV TIRLEN Plug-In");
        driver
            .Then([&](HWND d) {
                Look(d, owner, seen);
                seen.layout = LayoutMismatches(d, t);
                for (HWND child : ChildWindows(d))
                    if (ClassNameOf(child) == "Static" && seen.texts.empty())
                        seen.texts[0] = WindowText(child);
                PostEscape(d);
            })
            .Then([&](HWND d) {
                seen.openAfterEsc = IsShown(d);
                SendCommand(d, IDCANCEL);
            })
            .Then([&](HWND d) {
                seen.openAfterCancel = IsShown(d);
                ClickButton(d, IDOK);
            });
        INT_PTR result = 0;
        driver.Run([&] { result = P().About(owner); });
        EXPECT_TRUE(driver.found()) << "no About box appeared";
        EXPECT_FALSE(driver.openAfterLastStep()) << "OK did not close the About box";
        EXPECT_FALSE(driver.forcedClose());
        return result;
    }

    /* Opens the info box on item, reads every field, tries Esc and
     * IDCANCEL, then presses OK. */
    void DriveInfoBox(ResourceItem *item, Seen &seen)
    {
        DialogTemplate t;
        EXPECT_TRUE(LoadDialogTemplate(plugin->module(), "INFOBOX", t));
        const HWND owner = window->hwnd();
        ModalDriver driver(owner, "TIRLEN File Info Box");
        driver
            .Then([&](HWND d) {
                Look(d, owner, seen);
                seen.layout = LayoutMismatches(d, t);
                for (int id = 1001; id <= 1005; ++id) {
                    seen.texts[id] = ItemText(d, id);
                    seen.styles[id] = GetWindowLongA(GetDlgItem(d, id), GWL_STYLE);
                }
                PostEscape(d);
            })
            .Then([&](HWND d) {
                seen.openAfterEsc = IsShown(d);
                SendCommand(d, IDCANCEL);
            })
            .Then([&](HWND d) {
                seen.openAfterCancel = IsShown(d);
                SendCommand(d, IDOK);
            });
        driver.Run([&] { P().InfoBox(item, owner); });
        EXPECT_TRUE(driver.found()) << "no info box appeared";
        EXPECT_FALSE(driver.openAfterLastStep()) << "OK did not close the info box";
        EXPECT_FALSE(driver.forcedClose()) << driver.unexpectedWindow();
        EXPECT_EQ(host.openStreams(), 0u) << "InfoBox closes the stream it opened";
    }

    /* Calls InfoBox expecting a warning box instead of the dialog. */
    void ExpectWarning(ResourceItem *item, const char *text)
    {
        const HWND owner = window->hwnd();
        const MessageBoxSeen box = CatchMessageBox(owner, TASBRIN_NAME, [&] { P().InfoBox(item, owner); });
        ASSERT_TRUE(box.found) << "no message box captioned \"" TASBRIN_NAME "\"";
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING))) << "the warning icon";
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_FALSE(box.followed) << "a dialog followed the warning: " << box.followedBy;
        EXPECT_EQ(host.openStreams(), 0u);
    }
};

TEST_F(TasbrinDialogs, AboutBoxShowsCreditsIgnoresEscAndReturnsOneOnOk)
{
    window->MoveTo(300, 200, 500, 400);
    Seen seen;
    EXPECT_EQ(DriveAbout(seen), 1);
    EXPECT_EQ(seen.caption, "About ORV TIRLEN Plug-In");
    EXPECT_EQ(FirstLine(seen.texts[0]), "ORV TIRLEN Audio File Plug-In v1.00");
    EXPECT_TRUE(seen.openAfterEsc) << "Esc closed the About box";
    EXPECT_TRUE(seen.openAfterCancel) << "IDCANCEL closed the About box";
    EXPECT_TRUE(seen.layout.empty()) << ::testing::PrintToString(seen.layout);
    ExpectCentred(seen);
}

TEST_F(TasbrinDialogs, AboutBoxStaysInsideTheWorkAreaBesideItsRightEdge)
{
    const RECT work = WorkArea();
    window->MoveTo(work.right - 150, work.bottom - 120, 300, 200);
    Seen seen;
    EXPECT_EQ(DriveAbout(seen), 1);
    EXPECT_EQ(seen.rect.right, work.right) << "pushed back onto the work area's right edge";
    EXPECT_EQ(seen.rect.bottom, work.bottom);
    ExpectCentred(seen);
}

TEST_F(TasbrinDialogs, InfoBoxForRawSound)
{
    window->MoveTo(150, 120, 640, 480);
    ResourceItem *item = host.AddItem(Pattern(44100), "0A1B2C3D.08", "BLB", "MUSIC_04");
    Seen seen;
    DriveInfoBox(item, seen);
    EXPECT_EQ(seen.caption, "TIRLEN File Info Box");
    EXPECT_EQ(seen.texts[1001], "MUSIC_04");
    EXPECT_EQ(seen.texts[1002], "0A1B2C3D.08");
    EXPECT_EQ(seen.texts[1003], kSummaryRaw);
    EXPECT_EQ(seen.texts[1004], "44100");
    EXPECT_EQ(seen.texts[1005], "0:01");
    for (int id = 1001; id <= 1005; ++id)
        EXPECT_TRUE(seen.styles[id] & ES_READONLY) << id << " is read-only";
    EXPECT_TRUE(seen.styles[1003] & ES_MULTILINE);
    EXPECT_TRUE(seen.openAfterEsc) << "Esc closed the info box";
    EXPECT_TRUE(seen.openAfterCancel) << "IDCANCEL closed the info box";
    EXPECT_TRUE(seen.layout.empty()) << ::testing::PrintToString(seen.layout);
    ExpectCentred(seen);
    EXPECT_EQ(item->cachedLength, -1) << "the computed length is not stored into the item";
}

TEST_F(TasbrinDialogs, InfoBoxForDwAdpcmSoundAndCachedLength)
{
    /* 30000 deltas = 30000 samples = 1361 ms. */
    ResourceItem *item = host.AddItem(Pattern(30000), "sfx-4.07", "BLB", "SFX_0007");
    Seen seen;
    DriveInfoBox(item, seen);
    EXPECT_EQ(seen.texts[1001], "SFX_0007");
    EXPECT_EQ(seen.texts[1002], "sfx-4.07");
    EXPECT_EQ(seen.texts[1003], kSummaryShift4);
    EXPECT_EQ(seen.texts[1004], "30000");
    EXPECT_EQ(seen.texts[1005], "0:01");

    /* A length the host already knows is shown as it stands. */
    item->cachedLength = 90061000;
    Seen cached;
    DriveInfoBox(item, cached);
    EXPECT_EQ(cached.texts[1005], "25:01:01");
}

TEST_F(TasbrinDialogs, InfoBoxWarnsInsteadOfShowingWhatItCannotPlay)
{
    ExpectWarning(host.AddItem(Pattern(100), "music.09"), "This is not TIRLEN file.");
    ExpectWarning(host.AddItem(Pattern(100), "music.08", "MVE"), "This is not TIRLEN file.");
    host.failOpen = true;
    ExpectWarning(host.AddItem(Pattern(100), "music.08"), "Cannot open file.");
    host.failOpen = false;
}

TEST_F(TasbrinDialogs, ClosingFromTheTitleBarEndsBothBoxesWithOne)
{
    const HWND owner = window->hwnd();
    ModalDriver about(owner, "About ORV TIRLEN Plug-In");
    about.Then([](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
    INT_PTR result = 0;
    about.Run([&] { result = P().About(owner); });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(about.openAfterLastStep());

    ModalDriver info(owner, "TIRLEN File Info Box");
    info.Then([](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
    info.Run([&] { P().InfoBox(host.AddItem(Pattern(10), "a.07"), owner); });
    EXPECT_TRUE(info.found());
    EXPECT_FALSE(info.openAfterLastStep());
    EXPECT_FALSE(info.forcedClose());
}

TEST_F(TasbrinDialogs, InfoBoxWithoutItemShowsNothing)
{
    ModalDriver driver(window->hwnd());
    driver.Run([&] { P().InfoBox(nullptr, window->hwnd()); });
    EXPECT_FALSE(driver.found());
    EXPECT_EQ(host.counters.total(), 0u);
}

} // namespace
