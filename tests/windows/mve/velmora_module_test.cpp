/* What the player sees of velmora before it plays anything: the export, the
 * descriptor read by position, the imports, the string table and the
 * version block. */
#include "velmora_fixture.h"

#include "module_resources.h"
#include "pe_image.h"
#include "stdcall_probe.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

namespace {

/* Facts of the 32-bit module alone: the decorated export, the descriptor
 * as 32-bit words at fixed offsets, and the stdcall convention.  Only the
 * 32-bit build runs this suite (tests/windows/harness/CMakeLists.txt). */
class VelmoraAbi32 : public Velmora {};

TEST_F(VelmoraAbi32, ExportsTheDecoratedEntryReturningOneDescriptor)
{
    std::vector<PeExport> exports;
    ASSERT_TRUE(ReadExports(plugin->module(), exports));
    ASSERT_EQ(exports.size(), 1u);
    EXPECT_EQ(exports[0].name, PLUGIN_EXPORT_NAME);
    EXPECT_EQ(exports[0].address, reinterpret_cast<const void *>(plugin->entry()));
    AudioFilePlugin *first = plugin->entry()();
    EXPECT_EQ(first, &P());
    EXPECT_EQ(plugin->entry()(), first);
}

TEST_F(VelmoraAbi32, DescriptorReadByPosition)
{
    const LoadedPlugin::Words &w = plugin->WordsBeforeHostFill();
    HMODULE m = plugin->module();
    EXPECT_EQ(w[0x00 / 4], 0x100u);
    EXPECT_EQ(w[0x04 / 4], 1u);
    EXPECT_EQ(w[0x08 / 4], 0u);
    EXPECT_EQ(w[0x0C / 4], 0u);
    EXPECT_EQ(w[0x10 / 4], 0u);
    EXPECT_EQ(w[0x2C / 4], 0u);
    ASSERT_TRUE(InsideModule(m, w[0x14 / 4]) && InsideModule(m, w[0x18 / 4]) && InsideModule(m, w[0x1C / 4]) &&
                InsideModule(m, w[0x20 / 4]) && InsideModule(m, w[0x28 / 4]));
    EXPECT_STREQ(StringAtWord(w[0x14 / 4]), VELMORA_NAME);
    EXPECT_STREQ(StringAtWord(w[0x18 / 4]), "v0.90");
    static const char kFilter[] = "Interplay Video Files (*.MVE)\0*.mve\0"; /* + final NUL */
    EXPECT_EQ(std::memcmp(StringAtWord(w[0x1C / 4]), kFilter, sizeof kFilter), 0);
    EXPECT_STREQ(StringAtWord(w[0x20 / 4]), "MVE");

    EXPECT_EQ(w[0x24 / 4], 1u) << "signatureCount";
    const uint32_t *signature = reinterpret_cast<const uint32_t *>(static_cast<uintptr_t>(w[0x28 / 4]));
    EXPECT_EQ(signature[0], 20u);
    ASSERT_TRUE(InsideModule(m, signature[1]));
    EXPECT_EQ(std::memcmp(StringAtWord(signature[1]), "Interplay MVE File\x1A\0", 20), 0);

    /* Every entry point from Config to GetLength is velmora's own. */
    for (unsigned offset = 0x30; offset <= 0x58; offset += 4)
        EXPECT_TRUE(InsideModule(m, w[offset / 4])) << "slot at " << offset;
    EXPECT_EQ(w[0x5C / 4], 0u) << "reservedEntry";

    /* Playing leaves the descriptor as the host wrote it. */
    const LoadedPlugin::Words after = plugin->WordsAfterHostFill();
    Decode(MakeMovie(1, 16, true, 100).file, 4096);
    EXPECT_TRUE(plugin->WordsNow() == after) << "the plug-in wrote into its descriptor";
}

#if defined(__i386__)
TEST_F(VelmoraAbi32, EveryEntryPointTakesItsOwnArgumentsOffTheStack)
{
    uint32_t result = 0;
    auto popped = [&](const void *fn, std::initializer_list<uint32_t> args) {
        const std::vector<uint32_t> list(args);
        return StackBytesPopped(fn, list.data(), uint32_t(list.size()), &result);
    };
    auto word = [](const void *p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); };
    const Bytes file = MakeMovie(2, 16, true, 200).file;

    StreamHandle *h = Stream(file);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().Open), {word(h), word(&rate), word(&channels), word(&bits)}), 16u);
    ASSERT_TRUE(result);
    Bytes buffer(4096);
    int32_t marker = 0;
    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().Read), {word(h), word(buffer.data()), 4096, word(&marker)}), 16u);
    EXPECT_GT(result, 0u);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().Close), {word(h)}), 4u);

    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().Identify), {word(Stream(file)), 0, word("movie.mve")}), 12u);
    ASSERT_NE(result, 0u);
    GlobalFree(reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(result)));
    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().GetLength), {word(host.AddItem(file, "m.mve", "MVE"))}), 4u);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().Shutdown), {}), 0u);
    EXPECT_EQ(popped(reinterpret_cast<const void *>(P().Init), {}), 0u);
}
#endif

TEST_F(Velmora, ImportsOnlyKernel32AndUser32)
{
    std::vector<PeImport> imports;
    ASSERT_TRUE(ReadImports(plugin->module(), imports));
    std::string listing;
    for (const PeImport &imp : imports) {
        listing += imp.dll + ":";
        for (const std::string &f : imp.functions)
            listing += " " + f;
        listing += "\n";
        EXPECT_TRUE(LowerCase(imp.dll) == "kernel32.dll" || LowerCase(imp.dll) == "user32.dll") << listing;
    }
    EXPECT_FALSE(imports.empty());
}

TEST_F(Velmora, StringTableHoldsTheThreeErrorTextsInUsEnglish)
{
    std::map<unsigned, std::string> block;
    ASSERT_TRUE(ReadStringBlock(plugin->module(), 1, 0x409, block)) << "no string block in language 0x409";
    const std::map<unsigned, std::string> expected = {
        {1, "This file is not a valid MVE video file with soundtrack."},
        {2, "Failed to allocate memory for KORVAT data block."},
        {3, "Failed to allocate memory for KORVAT decompression buffer."}};
    EXPECT_EQ(block, expected);
    EXPECT_EQ(LoadModuleString(plugin->module(), PLUGIN_STRING_ID(PLUGIN_ERR_FORMAT)), expected.at(1));
    EXPECT_EQ(LoadModuleString(plugin->module(), PLUGIN_STRING_ID(PLUGIN_ERR_STATE_ALLOC)), expected.at(2));
    EXPECT_EQ(LoadModuleString(plugin->module(), PLUGIN_STRING_ID(PLUGIN_ERR_BUFFER_ALLOC)), expected.at(3));
}

TEST(VelmoraModule, VersionBlock)
{
    VersionBlock v;
    ASSERT_TRUE(ReadVersionBlock(PluginPath(TEST_PLUGIN_DLL), v));
    EXPECT_EQ(v.fixed.dwFileVersionMS, 0x00000009u);
    EXPECT_EQ(v.fixed.dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(v.fixed.dwProductVersionMS, 0x00010003u);
    EXPECT_EQ(v.fixed.dwProductVersionLS, 0x00020000u);
    EXPECT_EQ(v.fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(v.fixed.dwFileFlags, 0u);
    EXPECT_EQ(v.fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(v.fixed.dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(v.translations, (std::vector<DWORD>{0x04E40409u}));
    const std::pair<const char *, const char *> strings[] = {
        {"CompanyName", "ORV Software"},          {"FileDescription", "ORV KORVAT Audio File Plug-In"},
        {"FileVersion", "0.90"},                  {"InternalName", "velmora"},
        {"OriginalFilename", "VELMORA.DLL"},      {"ProductName", "Orlimbo"},
        {"ProductVersion", "1.32"}};
    for (const auto &kv : strings) {
        std::string value;
        EXPECT_TRUE(v.Value("040904e4", kv.first, value)) << kv.first << " missing";
        EXPECT_EQ(value, kv.second) << kv.first;
    }
}

} // namespace
