/* velmora's About box, info box, warning boxes and configuration dialog as
 * the user meets them: real windows on a display, driven from inside their
 * modal loops. */
#include "velmora_ui.h"

#include "dialog_driver.h"
#include "dialog_recorder.h"
#include "dialog_template.h"
#include "template_layout.h"

#include <map>

namespace {

const char kAboutCaption[] = "About ORV KORVAT Plug-In";
const char kInfoCaption[] = "KORVAT File Info Box";
const char kConfigCaption[] = "KORVAT Plug-In Configuration";

/* What the steps saw of a dialog, checked after it has gone. */
struct Seen {
    std::string caption;
    RECT rect{}, ownerRect{};
    std::vector<std::string> layout;
    std::map<int, std::string> texts;
    std::map<int, LONG> styles;
    UINT checked = 99;
    bool openAfterEsc = false, openAfterCancel = false;
};

void Look(HWND dialog, HWND owner, const DialogTemplate &t, Seen &seen)
{
    seen.caption = WindowText(dialog);
    GetWindowRect(dialog, &seen.rect);
    GetWindowRect(owner, &seen.ownerRect);
    seen.layout = LayoutMismatches(dialog, t);
}

class VelmoraDialogs : public Velmora {
protected:
    /* Loads velmora afresh with this INI file (Shutdown of the old one runs). */
    void Reload(const char *ini)
    {
        plugin.reset();
        plugin = std::make_unique<LoadedPlugin>(TEST_PLUGIN_DLL, host.services(), window->hwnd(), ini);
        ASSERT_TRUE(plugin->ok()) << plugin->error();
    }

    int32_t Length(const Bytes &file) { return P().GetLength(host.AddItem(file, "m.mve", "MVE")); }

    /* Opens the info box on item, reads every field, tries Esc and IDCANCEL,
     * then presses OK. */
    void DriveInfoBox(ResourceItem *item, Seen &seen)
    {
        DialogTemplate t;
        ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "INFOBOX", t));
        const HWND owner = window->hwnd();
        ModalDriver driver(owner, kInfoCaption);
        driver
            .Then([&](HWND d) {
                Look(d, owner, t, seen);
                for (int id = 1000; id <= 1004; ++id) {
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
                ClickButton(d, IDOK);
            });
        driver.Run([&] { P().InfoBox(item, owner); });
        EXPECT_TRUE(driver.found()) << "no info box appeared";
        EXPECT_FALSE(driver.openAfterLastStep()) << "OK did not close the info box";
        EXPECT_FALSE(driver.forcedClose()) << driver.unexpectedWindow();
        EXPECT_EQ(host.openStreams(), 0u) << "InfoBox closes the streams it opened";
    }

    void ExpectWarning(ResourceItem *item, const char *text)
    {
        const HWND owner = window->hwnd();
        const MessageBoxSeen box = CatchMessageBox(owner, VELMORA_NAME, [&] { P().InfoBox(item, owner); });
        ASSERT_TRUE(box.found) << "no message box captioned \"" VELMORA_NAME "\"";
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING))) << "the warning icon";
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_FALSE(box.followed) << "a dialog followed the warning: " << box.followedBy;
        EXPECT_EQ(host.openStreams(), 0u);
    }

    /* Opens the configuration dialog, notes the check box, runs steps, and
     * returns Config's result. */
    INT_PTR DriveConfig(Seen &seen, std::vector<ModalDriver::Step> steps)
    {
        DialogTemplate t;
        EXPECT_TRUE(LoadDialogTemplate(plugin->module(), "CONFIG", t));
        const HWND owner = window->hwnd();
        ModalDriver driver(owner, kConfigCaption);
        driver.Then([&](HWND d) {
            Look(d, owner, t, seen);
            seen.checked = IsDlgButtonChecked(d, 1010);
        });
        for (ModalDriver::Step &step : steps)
            driver.Then(step);
        INT_PTR result = -7;
        driver.Run([&] { result = P().Config(owner); });
        EXPECT_TRUE(driver.found()) << "no configuration dialog appeared";
        EXPECT_FALSE(driver.openAfterLastStep()) << "the dialog did not close";
        EXPECT_FALSE(driver.forcedClose());
        return result;
    }
};

TEST_F(VelmoraDialogs, AboutBoxShowsCreditsAndLicenceIgnoresEscAndReturnsOneOnOk)
{
    window->MoveTo(300, 200, 500, 400);
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(plugin->module(), "ABOUT", t));
    const HWND owner = window->hwnd();
    Seen seen;
    std::vector<std::string> statics;
    ModalDriver driver(owner, kAboutCaption);
    driver
        .Then([&](HWND d) {
            Look(d, owner, t, seen);
            for (HWND child : ChildWindows(d))
                if (ClassNameOf(child) == "Static")
                    statics.push_back(WindowText(child));
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
    ASSERT_TRUE(driver.found());
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(driver.openAfterLastStep());
    EXPECT_EQ(seen.caption, kAboutCaption);
    ASSERT_EQ(statics.size(), 2u);
    EXPECT_EQ(statics[0].substr(0, statics[0].find_first_of("\r\n")), "ORV KORVAT Audio File Plug-In v0.90");
    EXPECT_EQ(statics[1], "This plug-in is free software, distributed without any warranty.");
    EXPECT_TRUE(seen.openAfterEsc) << "Esc closed the About box";
    EXPECT_TRUE(seen.openAfterCancel) << "IDCANCEL closed the About box";
    EXPECT_TRUE(seen.layout.empty()) << ::testing::PrintToString(seen.layout);
    ExpectCentred(seen.rect, seen.ownerRect);

    /* Closing from the title bar ends it with 1 as well. */
    ModalDriver close(owner, kAboutCaption);
    close.Then([](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
    close.Run([&] { result = P().About(owner); });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(close.openAfterLastStep());
}

TEST_F(VelmoraDialogs, InfoBoxOfACompressedStereoMovieWithWalkingOff)
{
    window->MoveTo(150, 120, 640, 480);
    const Bytes file = MakeMovie(2, 16, true, 500).file;
    ResourceItem *item = host.AddItem(file, "ab12.mve", "RAW", "INTRO.MVE");
    DialogRecorder walks;
    Seen seen;
    DriveInfoBox(item, seen);
    EXPECT_EQ(seen.caption, kInfoCaption);
    EXPECT_EQ(seen.texts[1000], "INTRO.MVE");
    EXPECT_EQ(seen.texts[1001], "ab12.mve");
    EXPECT_EQ(seen.texts[1002],
              "Compression: MVE ADPCM\r\nChannels: 2 (stereo)\r\nSample Rate: 22050 Hz\r\nResolution: 16-bit");
    EXPECT_EQ(seen.texts[1003], std::to_string(file.size()));
    EXPECT_EQ(seen.texts[1004], "N/A") << "walking is off without an INI file";
    for (int id = 1000; id <= 1004; ++id)
        EXPECT_TRUE(seen.styles[id] & ES_READONLY) << id << " is read-only";
    EXPECT_TRUE(seen.styles[1002] & ES_MULTILINE);
    EXPECT_TRUE(seen.openAfterEsc) << "Esc closed the info box";
    EXPECT_TRUE(seen.openAfterCancel) << "IDCANCEL closed the info box";
    EXPECT_TRUE(seen.layout.empty()) << ::testing::PrintToString(seen.layout);
    ExpectCentred(seen.rect, seen.ownerRect);
    for (const RecordedDialog &d : walks.dialogs())
        EXPECT_EQ(d.caption, kInfoCaption) << "no progress window with walking off";
    EXPECT_EQ(item->cachedLength, -1);
}

TEST_F(VelmoraDialogs, InfoBoxWalksWhenAllowedAndShowsACachedLengthAsItStands)
{
    RegisterCommonControls();
    ScratchIni ini;
    ini.Write("[" VELMORA_NAME "]\r\nNoWalk=off\r\n");
    Reload(ini.path());
    /* 8-bit uncompressed mono at 22050 Hz, 30 frames of 2205 bytes: 3 s. */
    ResourceItem *item = host.AddItem(DeclaringMovie(0x00, 22050, std::vector<uint16_t>(30, 2205)), "x", "RAW", "X");
    Seen seen;
    DriveInfoBox(item, seen);
    EXPECT_EQ(seen.texts[1002], "Compression: None\r\nChannels: 1 (mono)\r\nSample Rate: 22050 Hz\r\nResolution: 8-bit");
    EXPECT_EQ(seen.texts[1004], "0:03");
    EXPECT_EQ(item->cachedLength, -1) << "the walked length is not stored into the item";

    item->cachedLength = 3600000;
    Seen cached;
    DriveInfoBox(item, cached);
    EXPECT_EQ(cached.texts[1004], "1:00:00");
}

TEST_F(VelmoraDialogs, InfoBoxWarnsInsteadOfShowingWhatItCannotPlay)
{
    ExpectWarning(host.AddItem(Bytes(500, 0x20)), "This is not MVE file or no soundtrack present.");
    Bytes silent = mvemaker::FileHeader();
    mvemaker::AppendChunk(silent, mvemaker::kChunkEnd, {});
    ExpectWarning(host.AddItem(silent), "This is not MVE file or no soundtrack present.");
    host.failOpen = true;
    ExpectWarning(host.AddItem(MakeMovie(1, 16, true, 100).file), "Cannot open file.");
    host.failOpen = false;

    ModalDriver none(window->hwnd());
    none.Run([&] { P().InfoBox(nullptr, window->hwnd()); });
    EXPECT_FALSE(none.found());
}

TEST_F(VelmoraDialogs, ConfigOkSwitchesWalkingAndShutdownKeepsIt)
{
    RegisterCommonControls();
    ScratchIni ini;
    ini.Write("[" VELMORA_NAME "]\r\nOther=1\r\n");
    Reload(ini.path());
    const Bytes movie = DeclaringMovie(0x03, 22050, {8820, 8820});
    EXPECT_EQ(Length(movie), -1) << "walking is off by default";

    window->MoveTo(250, 180, 520, 380);
    Seen seen;
    EXPECT_EQ(DriveConfig(seen, {[](HWND d) { ClickButton(d, 1010); }, [](HWND d) { ClickButton(d, IDOK); }}), 1);
    EXPECT_EQ(seen.caption, kConfigCaption);
    EXPECT_EQ(seen.checked, unsigned(BST_CHECKED)) << "the box shows walking off";
    EXPECT_TRUE(seen.layout.empty()) << ::testing::PrintToString(seen.layout);
    ExpectCentred(seen.rect, seen.ownerRect);
    EXPECT_EQ(Length(movie), 200) << "OK takes effect with the next GetLength";
    EXPECT_EQ(ini.NoWalk(), "<missing>") << "the INI file is written only at Shutdown";

    Reload(ini.path());
    EXPECT_EQ(ini.NoWalk(), "off");
    EXPECT_EQ(Length(movie), 200) << "read back at Init";

    Seen again;
    EXPECT_EQ(DriveConfig(again, {[](HWND d) { ClickButton(d, 1010); }, [](HWND d) { ClickButton(d, IDOK); }}), 1);
    EXPECT_EQ(again.checked, unsigned(BST_UNCHECKED));
    EXPECT_EQ(Length(movie), -1);
    plugin.reset(); /* Shutdown */
    EXPECT_EQ(ini.NoWalk(), "on");
}

TEST_F(VelmoraDialogs, CancelDefaultsAndClosingLeaveTheSettingAlone)
{
    RegisterCommonControls();
    ScratchIni ini;
    ini.Write("[" VELMORA_NAME "]\r\nNoWalk=Off\r\n");
    Reload(ini.path());
    const Bytes movie = DeclaringMovie(0x00, 8000, {12, 3, 12});
    ASSERT_EQ(Length(movie), 4);

    /* Defaults checks the box but keeps the dialog open; Cancel drops it. */
    Seen seen;
    UINT afterDefaults = 99;
    bool openAfterDefaults = false;
    EXPECT_EQ(DriveConfig(seen, {[&](HWND d) { ClickButton(d, 1008); },
                                 [&](HWND d) {
                                     afterDefaults = IsDlgButtonChecked(d, 1010);
                                     openAfterDefaults = IsShown(d);
                                     ClickButton(d, IDCANCEL);
                                 }}),
              0);
    EXPECT_EQ(seen.checked, unsigned(BST_UNCHECKED));
    EXPECT_EQ(afterDefaults, unsigned(BST_CHECKED));
    EXPECT_TRUE(openAfterDefaults);
    EXPECT_EQ(Length(movie), 4) << "Cancel keeps walking on";

    /* A changed box closed with Esc or from the title bar changes nothing. */
    Seen esc, closed;
    EXPECT_EQ(DriveConfig(esc, {[](HWND d) { ClickButton(d, 1010); }, [](HWND d) { PostEscape(d); }}), 0);
    EXPECT_EQ(DriveConfig(closed, {[](HWND d) { ClickButton(d, 1010); },
                                   [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
              0);
    EXPECT_EQ(Length(movie), 4);

    /* Defaults then OK: walking off. */
    Seen defaults;
    EXPECT_EQ(DriveConfig(defaults, {[](HWND d) { ClickButton(d, 1008); }, [](HWND d) { ClickButton(d, IDOK); }}), 1);
    EXPECT_EQ(Length(movie), -1);
    plugin.reset();
    EXPECT_EQ(ini.NoWalk(), "on");
}

TEST_F(VelmoraDialogs, WithoutAnIniFileWalkingIsOffUntilSwitchedOnAndNothingIsWritten)
{
    RegisterCommonControls();
    const Bytes movie = DeclaringMovie(0x00, 22050, {2205});
    EXPECT_EQ(Length(movie), -1);
    Seen seen;
    EXPECT_EQ(DriveConfig(seen, {[](HWND d) { ClickButton(d, 1010); }, [](HWND d) { ClickButton(d, IDOK); }}), 1);
    EXPECT_EQ(Length(movie), 100);
}

} // namespace
