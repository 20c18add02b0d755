/* The harness checks itself against Windows' own behaviour, so that a
 * plug-in test failing (or passing) means something about the plug-in. */
#include "dialog_driver.h"
#include "dialog_recorder.h"
#include "dialog_template.h"
#include "host_window.h"
#include "loaded_plugin.h"
#include "pe_image.h"
#include "stdcall_probe.h"
#include "status_window.h"
#include "template_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

/* A dialog template built in memory, classic or extended layout. */
class TemplateBuilder {
public:
    explicit TemplateBuilder(bool extended) : extended_(extended) {}

    void Dialog(DWORD style, short x, short y, short cx, short cy, const char *caption, WORD points,
                const char *face, WORD count)
    {
        if (extended_) {
            Word(1), Word(0xFFFF), Dword(0), Dword(0), Dword(style);
        } else {
            Dword(style), Dword(0);
        }
        Word(count), Word(x), Word(y), Word(cx), Word(cy);
        Word(0), Word(0), Text(caption);
        Word(points);
        if (extended_)
            Word(FW_NORMAL), Word(0); /* weight; italic and charset bytes */
        Text(face);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, int id, WORD predefinedClass, const char *text)
    {
        while (words_.size() % 2)
            Word(0);
        if (extended_) {
            Dword(0), Dword(0), Dword(style);
        } else {
            Dword(style), Dword(0);
        }
        Word(x), Word(y), Word(cx), Word(cy);
        if (extended_)
            Dword(static_cast<DWORD>(id));
        else
            Word(static_cast<WORD>(id));
        Word(0xFFFF), Word(predefinedClass), Text(text), Word(0);
    }
    const void *data() const { return words_.data(); }
    size_t size() const { return words_.size() * 2; }
    /* DialogBoxIndirect needs DWORD alignment. */
    const DLGTEMPLATE *Template() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }

private:
    int Word(unsigned w)
    {
        words_.push_back(static_cast<WORD>(w));
        return 0;
    }
    int Dword(DWORD d) { return Word(d & 0xFFFF), Word(d >> 16); }
    int Text(const char *s)
    {
        for (; *s; ++s)
            Word(static_cast<unsigned char>(*s));
        return Word(0);
    }
    bool extended_;
    std::vector<WORD> words_;
};

const DWORD kStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

TemplateBuilder SampleTemplate(bool extended)
{
    TemplateBuilder b(extended);
    b.Dialog(kStyle, 0, 0, 120, 60, "Sample", 8, "MS Sans Serif", 3);
    b.Item(WS_CHILD | WS_VISIBLE | SS_RIGHT, 4, 8, 51, 8, -1, 0x82, "Label");
    b.Item(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY, 58, 6, 50, 12, 1001, 0x81, "");
    b.Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 60, 40, 40, 14, IDOK, 0x80, "O&K");
    return b;
}

TEST(DialogTemplateParser, ReadsClassicAndExtendedLayouts)
{
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended" : "classic");
        const TemplateBuilder b = SampleTemplate(extended);
        DialogTemplate t;
        ASSERT_TRUE(ParseDialogTemplate(b.data(), b.size(), t));
        EXPECT_EQ(t.extended, extended);
        EXPECT_EQ(t.style, kStyle);
        EXPECT_EQ(t.cx, 120);
        EXPECT_EQ(t.cy, 60);
        EXPECT_EQ(t.caption, "Sample");
        EXPECT_EQ(t.typeface, "MS Sans Serif");
        EXPECT_EQ(t.pointSize, 8);
        ASSERT_EQ(t.items.size(), 3u);
        EXPECT_EQ(t.items[0].id, -1);
        EXPECT_EQ(t.items[0].className, "Static");
        EXPECT_EQ(t.items[0].text, "Label");
        EXPECT_EQ(t.items[1].className, "Edit");
        EXPECT_EQ(t.items[1].x, 58);
        EXPECT_EQ(t.items[2].id, IDOK);
        EXPECT_EQ(t.items[2].style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
        EXPECT_NE(t.Find(IDOK, "O&K"), nullptr);

        /* A cut-off template is refused, not read past its end. */
        EXPECT_FALSE(ParseDialogTemplate(b.data(), b.size() - 6, t));
    }
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

INT_PTR CALLBACK MoveEditOnInit(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        SetWindowPos(GetDlgItem(dialog, 1001), nullptr, 0, 0, 5, 5, SWP_NOZORDER);
    return message == WM_INITDIALOG;
}

class HarnessDialogs : public ::testing::Test {
protected:
    HostWindow window{100, 100, 400, 300};
};

TEST_F(HarnessDialogs, EscapeGoesThroughTheModalLoopsDialogKeyHandling)
{
    /* A message box does close on Esc: proof that the key reaches
     * IsDialogMessage and becomes IDCANCEL. */
    std::string text;
    std::vector<int> buttons;
    HICON icon = reinterpret_cast<HICON>(1);
    ModalDriver driver(window.hwnd(), "Harness check");
    driver.Then([&](HWND box) {
        text = MessageBoxText(box);
        buttons = MessageBoxButtons(box);
        icon = MessageBoxIcon(box);
        PostEscape(box);
    });
    int result = 0;
    driver.Run([&] { result = MessageBoxA(window.hwnd(), "Some text.", "Harness check", MB_OKCANCEL); });
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(driver.openAfterLastStep());
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_EQ(text, "Some text.");
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(icon, nullptr);
}

TEST_F(HarnessDialogs, WarningIconIsRecognised)
{
    HICON icon = nullptr;
    ModalDriver driver(window.hwnd(), "Harness check");
    driver.Then([&](HWND box) {
        icon = MessageBoxIcon(box);
        SendCommand(box, IDOK);
    });
    int result = 0;
    driver.Run([&] { result = MessageBoxA(window.hwnd(), "Careful.", "Harness check", MB_ICONWARNING); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING)));
}

TEST_F(HarnessDialogs, DialogThatWillNotCloseIsEndedAndReported)
{
    const TemplateBuilder b = SampleTemplate(false);
    ModalDriver driver(window.hwnd(), "Sample");
    driver.Then([](HWND d) { ClickButton(d, IDOK); });
    INT_PTR result = 0;
    driver.Run([&] {
        result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), b.Template(), window.hwnd(), IgnoreEverything, 0);
    });
    EXPECT_TRUE(driver.found());
    EXPECT_TRUE(driver.openAfterLastStep());
    EXPECT_TRUE(driver.forcedClose());
    EXPECT_EQ(result, -99);
}

TEST_F(HarnessDialogs, LayoutComparisonSeesAMovedControl)
{
    for (DLGPROC proc : {IgnoreEverything, MoveEditOnInit}) {
        const TemplateBuilder b = SampleTemplate(proc == MoveEditOnInit);
        DialogTemplate t;
        ASSERT_TRUE(ParseDialogTemplate(b.data(), b.size(), t));
        std::vector<std::string> layout;
        ModalDriver driver(window.hwnd(), "Sample");
        driver.Then([&](HWND d) {
            layout = LayoutMismatches(d, t);
            EndDialog(d, 1);
        });
        driver.Run([&] { DialogBoxIndirectParamA(GetModuleHandleA(nullptr), b.Template(), window.hwnd(), proc, 0); });
        if (proc == IgnoreEverything)
            EXPECT_TRUE(layout.empty()) << ::testing::PrintToString(layout);
        else
            ASSERT_EQ(layout.size(), 1u) << ::testing::PrintToString(layout);
    }
}

TEST_F(HarnessDialogs, RecorderSnapshotsAModelessDialogBeforeItGoes)
{
    const TemplateBuilder b = SampleTemplate(false);
    int inspected = 0;
    DialogRecorder recorder([&](RecordedDialog &, HWND d) { inspected += GetDlgItem(d, 1001) != nullptr; });
    ASSERT_TRUE(recorder.hooked());
    HWND d = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), b.Template(), window.hwnd(), IgnoreEverything, 0);
    ASSERT_NE(d, nullptr);
    SetWindowTextA(d, "Renamed");
    EXPECT_EQ(recorder.alive(), 1u);
    DestroyWindow(d);
    ASSERT_EQ(recorder.dialogs().size(), 1u);
    const RecordedDialog &r = recorder.dialogs()[0];
    EXPECT_TRUE(r.destroyed);
    EXPECT_EQ(r.owner, window.hwnd());
    EXPECT_EQ(r.caption, "Renamed");
    EXPECT_TRUE(r.visible);
    EXPECT_GT(r.rect.right - r.rect.left, 0);
    EXPECT_EQ(inspected, 1);
    EXPECT_EQ(recorder.alive(), 0u);
}

TEST(StatusWindowHarness, KeepsScanMessagesInOrder)
{
    StatusWindow status;
    ASSERT_NE(status.hwnd(), nullptr);
    char text[] = "Verifying...";
    SendMessageA(status.hwnd(), WM_USER + 6, 0, reinterpret_cast<LPARAM>(text));
    text[0] = 'X'; /* the copy was taken while the text was valid */
    SendMessageA(status.hwnd(), WM_USER + 4, 0, 0x1234);
    SendMessageA(status.hwnd(), WM_USER + 5, 0, 0); /* not a status message */
    ASSERT_EQ(status.messages().size(), 2u);
    EXPECT_EQ(status.Texts(), std::vector<std::string>{"Verifying..."});
    EXPECT_EQ(status.messages()[1].lParam, 0x1234);
    EXPECT_EQ(status.Count(StatusWindow::kChunkMessage), 1u);
}

TEST(PeImage, ReadsExportsAndImportsOfLoadedModules)
{
    std::vector<PeExport> exports;
    ASSERT_TRUE(ReadExports(GetModuleHandleA("kernel32.dll"), exports));
    const auto it = std::find_if(exports.begin(), exports.end(),
                                 [](const PeExport &e) { return e.name == "GetTickCount"; });
    ASSERT_NE(it, exports.end());

    std::vector<PeImport> imports;
    ASSERT_TRUE(ReadImports(GetModuleHandleA(nullptr), imports));
    bool sawKernelFunction = false;
    for (const PeImport &imp : imports)
        if (lstrcmpiA(imp.dll.c_str(), "kernel32.dll") == 0)
            sawKernelFunction |= std::find(imp.functions.begin(), imp.functions.end(), "GetModuleHandleA") !=
                                imp.functions.end();
    EXPECT_TRUE(sawKernelFunction);
    EXPECT_FALSE(ReadExports(nullptr, exports));
}

#if defined(__i386__)
int __stdcall AddStdcall(int a, int b) { return a + b; }
int __cdecl AddCdecl(int a, int b) { return a + b; }

TEST(StdcallProbe, TellsACalleeThatPopsItsArgumentsFromOneThatDoesNot)
{
    const uint32_t args[] = {2, 3};
    uint32_t result = 0;
    EXPECT_EQ(StackBytesPopped(reinterpret_cast<const void *>(&AddStdcall), args, 2, &result), 8u);
    EXPECT_EQ(result, 5u);
    EXPECT_EQ(StackBytesPopped(reinterpret_cast<const void *>(&AddCdecl), args, 2, &result), 0u);
    EXPECT_EQ(result, 5u);
}
#endif

TEST(LoadedPluginHarness, ReportsAMissingLibrary)
{
    LoadedPlugin plugin("no-such-plugin.dll", nullptr, nullptr);
    EXPECT_FALSE(plugin.ok());
    EXPECT_NE(plugin.error().find("LoadLibrary"), std::string::npos);
}

} // namespace
