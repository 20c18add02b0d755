/* What the player sees of tasbrin before it plays anything: the export, the
 * descriptor read by position, the imports, the string table and the
 * version block. */
#include "tasbrin_fixture.h"

#include "module_resources.h"
#include "pe_image.h"
#include "stdcall_probe.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

namespace {

/* TasbrinAbi32: facts of the 32-bit module alone (the decorated export, the
 * descriptor as 32-bit words at fixed offsets, the stdcall convention), run
 * by the 32-bit build only (tests/windows/harness/CMakeLists.txt). */
TEST(TasbrinAbi32, ExportsTheDecoratedEntryReturningOneDescriptor)
{
    MemoryHost host;
    HostWindow window;
    LoadedPlugin plugin(TEST_PLUGIN_DLL, host.services(), window.hwnd());
    ASSERT_TRUE(plugin.ok()) << plugin.error();

    std::vector<PeExport> exports;
    ASSERT_TRUE(ReadExports(plugin.module(), exports));
    const auto it = std::find_if(exports.begin(), exports.end(),
                                 [](const PeExport &e) { return e.name == PLUGIN_EXPORT_NAME; });
    ASSERT_NE(it, exports.end()) << "no export named " PLUGIN_EXPORT_NAME;
    EXPECT_EQ(it->address, reinterpret_cast<const void *>(plugin.entry()));

    AudioFilePlugin *first = plugin.entry()();
    EXPECT_EQ(first, &plugin.plugin());
    EXPECT_EQ(plugin.entry()(), first);
    EXPECT_EQ(plugin.entry()(), first);
}

TEST(TasbrinAbi32, DescriptorReadByPosition)
{
    MemoryHost host;
    HostWindow window;
    const char ini[] = "C:\\orlimbo-test.ini";
    LoadedPlugin plugin(TEST_PLUGIN_DLL, host.services(), window.hwnd(), ini);
    ASSERT_TRUE(plugin.ok()) << plugin.error();
    const LoadedPlugin::Words &w = plugin.WordsBeforeHostFill();
    HMODULE m = plugin.module();

    EXPECT_EQ(w[0x00 / 4], 0x100u);
    EXPECT_EQ(w[0x04 / 4], 1u);
    EXPECT_EQ(w[0x08 / 4], 0u) << "hInstance before the host writes it";
    EXPECT_EQ(w[0x0C / 4], 0u) << "hHostWindow before the host writes it";
    EXPECT_EQ(w[0x10 / 4], 0u) << "iniFileName before the host writes it";
    EXPECT_EQ(w[0x2C / 4], 0u) << "hostServices before the host writes it";

    ASSERT_TRUE(InsideModule(m, w[0x14 / 4]) && InsideModule(m, w[0x18 / 4]) &&
                InsideModule(m, w[0x1C / 4]) && InsideModule(m, w[0x20 / 4]));
    EXPECT_STREQ(StringAtWord(w[0x14 / 4]), TASBRIN_NAME);
    EXPECT_STREQ(StringAtWord(w[0x18 / 4]), "v1.00");
    static const char kFilter[] = "BLB SFX/Music Audio Files (*.07;*.08)\0*.07;*.08\0"; /* + final NUL */
    EXPECT_EQ(std::memcmp(StringAtWord(w[0x1C / 4]), kFilter, sizeof kFilter), 0)
        << "filter: description, NUL, pattern, NUL, NUL";
    EXPECT_STREQ(StringAtWord(w[0x20 / 4]), "TIRLEN");

    EXPECT_EQ(w[0x24 / 4], 0u) << "signatureCount";
    EXPECT_EQ(w[0x28 / 4], 0u) << "signatures";

    struct Slot {
        unsigned offset;
        const char *name;
        bool present;
    };
    const Slot slots[] = {{0x30, "Config", false},   {0x34, "About", true},     {0x38, "Init", true},
                          {0x3C, "Shutdown", false}, {0x40, "InfoBox", true},   {0x44, "Open", true},
                          {0x48, "Close", true},     {0x4C, "Read", true},      {0x50, "ScanFile", false},
                          {0x54, "Identify", true},  {0x58, "GetLength", true}, {0x5C, "reservedEntry", false}};
    for (const Slot &s : slots) {
        const uint32_t v = w[s.offset / 4];
        if (s.present)
            EXPECT_TRUE(InsideModule(m, v)) << s.name << " must point into the module";
        else
            EXPECT_EQ(v, 0u) << s.name << " must be NULL";
    }

    /* The host's four fields as written, and nothing else changed by it. */
    const LoadedPlugin::Words &after = plugin.WordsAfterHostFill();
    EXPECT_EQ(after[0x08 / 4], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m)));
    EXPECT_EQ(after[0x0C / 4], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window.hwnd())));
    EXPECT_EQ(after[0x10 / 4], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ini)));
    EXPECT_EQ(after[0x2C / 4], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(host.services())));

    /* Init and the entry points leave every field as it was. */
    ResourceItem *item = host.AddItem(Pattern(100), "a-4.07");
    EXPECT_EQ(plugin->GetLength(item), 5);
    EXPECT_TRUE(plugin.WordsNow() == after) << "the plug-in wrote into its descriptor";
}

#if defined(__i386__)
TEST(TasbrinAbi32, EveryEntryPointTakesItsOwnArgumentsOffTheStack)
{
    MemoryHost host;
    HostWindow window;
    LoadedPlugin plugin(TEST_PLUGIN_DLL, host.services(), window.hwnd());
    ASSERT_TRUE(plugin.ok()) << plugin.error();
    uint32_t result = 0;
    auto popped = [&](const void *fn, std::initializer_list<uint32_t> args) {
        const std::vector<uint32_t> list(args);
        return StackBytesPopped(fn, list.data(), uint32_t(list.size()), &result);
    };
    auto word = [](const void *p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); };
    ResourceItem *item = host.AddItem(Pattern(100), "a-4.07");

    StreamHandle *h = host.OpenStream(item);
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    EXPECT_EQ(popped(reinterpret_cast<const void *>(plugin->Open), {word(h), word(&rate), word(&channels), word(&bits)}), 16u);
    ASSERT_TRUE(result);
    uint8_t buffer[64];
    int32_t marker = 0;
    EXPECT_EQ(popped(reinterpret_cast<const void *>(plugin->Read), {word(h), word(buffer), sizeof buffer, word(&marker)}), 16u);
    EXPECT_GT(result, 0u);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(plugin->Close), {word(h)}), 4u);
    host.CloseStream(h);

    StreamHandle *again = host.OpenStream(item);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(plugin->Identify), {word(again), 0, word("a-4.07")}), 12u);
    if (result)
        GlobalFree(reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(result)));
    host.CloseStream(again);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(plugin->GetLength), {word(item)}), 4u);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(plugin->Init), {}), 0u);
}
#endif

TEST(TasbrinModule, ImportsOnlyKernel32AndUser32)
{
    MemoryHost host;
    LoadedPlugin plugin(TEST_PLUGIN_DLL, host.services(), nullptr);
    ASSERT_TRUE(plugin.ok()) << plugin.error();
    std::vector<PeImport> imports;
    ASSERT_TRUE(ReadImports(plugin.module(), imports));
    std::set<std::string> dlls;
    std::string listing;
    for (const PeImport &imp : imports) {
        dlls.insert(LowerCase(imp.dll));
        listing += imp.dll + ":";
        for (const std::string &f : imp.functions)
            listing += " " + f;
        listing += "\n";
    }
    EXPECT_EQ(dlls, (std::set<std::string>{"kernel32.dll", "user32.dll"})) << listing;
    EXPECT_EQ(imports.size(), 2u) << listing;
}

TEST(TasbrinModule, StringTableHoldsTheThreeErrorTextsInUsEnglish)
{
    MemoryHost host;
    LoadedPlugin plugin(TEST_PLUGIN_DLL, host.services(), nullptr);
    ASSERT_TRUE(plugin.ok()) << plugin.error();
    std::map<unsigned, std::string> block;
    ASSERT_TRUE(ReadStringBlock(plugin.module(), 1, 0x409, block)) << "no string block in language 0x409";
    const std::map<unsigned, std::string> expected = {
        {1, "This file is not a valid TIRLEN audio file."},
        {2, "Failed to allocate memory for TIRLEN data block."},
        {3, "Failed to allocate memory for TIRLEN decompression buffer."}};
    EXPECT_EQ(block, expected);
    /* The player finds them through the low word of Open's last-error code. */
    EXPECT_EQ(LoadModuleString(plugin.module(), PLUGIN_STRING_ID(PLUGIN_ERR_FORMAT)), expected.at(1));
    EXPECT_EQ(LoadModuleString(plugin.module(), PLUGIN_STRING_ID(PLUGIN_ERR_STATE_ALLOC)), expected.at(2));
    EXPECT_EQ(LoadModuleString(plugin.module(), PLUGIN_STRING_ID(PLUGIN_ERR_BUFFER_ALLOC)), expected.at(3));
}

TEST(TasbrinModule, VersionBlock)
{
    VersionBlock v;
    ASSERT_TRUE(ReadVersionBlock(PluginPath(TEST_PLUGIN_DLL), v));
    EXPECT_EQ(v.fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(v.fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(v.fixed.dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(v.fixed.dwProductVersionMS, 0x00010003u);
    EXPECT_EQ(v.fixed.dwProductVersionLS, 0x00020000u);
    EXPECT_EQ(v.fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(v.fixed.dwFileFlags, 0u);
    EXPECT_EQ(v.fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(v.fixed.dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(v.translations, (std::vector<DWORD>{0x04E40409u})) << "US English, code page 1252";

    const std::pair<const char *, const char *> strings[] = {
        {"CompanyName", "ORV Software"},
        {"FileDescription", "ORV TIRLEN Audio File Plug-In"},
        {"FileVersion", "1.00"},
        {"InternalName", "tasbrin"},
        {"OriginalFilename", "TASBRIN.DLL"},
        {"ProductName", "Orlimbo"},
        {"ProductVersion", "1.32"}};
    for (const auto &kv : strings) {
        std::string value;
        EXPECT_TRUE(v.Value("040904e4", kv.first, value)) << kv.first << " missing";
        EXPECT_EQ(value, kv.second) << kv.first;
    }
}

} // namespace
