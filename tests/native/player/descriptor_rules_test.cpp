/* The rules every host of the player applies to a descriptor: its filter
 * pairs and signatures, which plug-in an item goes to, wildcards by UTF-8
 * character, the WAV header, the Read guard, item extents and seeks, and
 * attaching. */
#include "player/attach.h"
#include "player/extent.h"
#include "player/plugin_choice.h"
#include "player/plugin_texts.h"
#include "player/read_guard.h"
#include "player/wav_header.h"
#include "player/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

uint32_t U32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

/* A descriptor with a filter and at most one signature. */
struct Descriptor {
    std::string name, filter, signature;
    FileSignature sig{};
    AudioFilePlugin d{};
    Descriptor(const std::string &n, const std::string &f, const std::string &s = "") : name(n), filter(f), signature(s)
    {
        d.interfaceVersion = PLUGIN_INTERFACE_VERSION;
        d.pluginType = PLUGIN_TYPE_AUDIO_FILE;
        d.pluginName = name.c_str();
        d.fileFilter = filter.c_str(); /* std::string keeps the NULs given */
        if (!signature.empty()) {
            sig.length = static_cast<uint32_t>(signature.size());
            sig.bytes = reinterpret_cast<const uint8_t *>(signature.data());
            d.signatureCount = 1;
            d.signatures = &sig;
        }
    }
};

TEST(Wildcards, MatchAsTheFileDialogsDoByCharacter)
{
    EXPECT_TRUE(WildcardMatch("*.mve", "INTRO.MVE"));
    EXPECT_FALSE(WildcardMatch("*.mve", "intro.mvex"));
    EXPECT_TRUE(WildcardMatch("snd?.07", "snd1.07"));
    EXPECT_FALSE(WildcardMatch("snd?.07", "snd12.07"));
    EXPECT_TRUE(WildcardMatch("*a*b*", "xxaybzz"));
    // One '?' is one character, whatever its length in UTF-8.
    EXPECT_TRUE(WildcardMatch("?mega.mve", "\xce\xa9mega.mve"));
    EXPECT_TRUE(WildcardMatch("caf?.mve", "caf\xc3\xa9.mve"));
    EXPECT_FALSE(WildcardMatch("caf??.mve", "caf\xc3\xa9.mve"));
    EXPECT_TRUE(WildcardMatch("*?\xc3\xa9*", "x\xc3\xa9\xc3\xa9"));
    EXPECT_TRUE(MatchesAnyPattern("*.07;*.08", "music-4.08"));
    EXPECT_FALSE(MatchesAnyPattern("*.07;*.08", "music-4.09"));
    EXPECT_FALSE(MatchesAnyPattern("", "anything"));
}

TEST(FilterPairs, EveryPairIsReadAndTheirPatternsJoined)
{
    const Descriptor one("one", std::string("Movies (*.MVE)\0*.mve\0\0", 23));
    ASSERT_EQ(FilterPairs(one.d.fileFilter).size(), 1u);
    EXPECT_EQ(FilterPatterns(one.d), "*.mve");
    const Descriptor two("two", std::string("Sounds\0*.07;*.08\0Music\0*.mus\0\0", 31));
    const std::vector<FilterPair> pairs = FilterPairs(two.d.fileFilter);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].description, "Music");
    EXPECT_EQ(FilterPatterns(two.d), "*.07;*.08;*.mus");
    EXPECT_TRUE(FilterPairs(nullptr).empty());
    /* A filter that never ends is read for kMaxFilterPairs pairs, no more. */
    std::string endless;
    for (int i = 0; i < 40; ++i)
        endless += std::string("T\0*.x\0", 6);
    EXPECT_EQ(FilterPairs(endless.c_str()).size(), kMaxFilterPairs);
}

TEST(PluginChoice, SignatureFirstThenAnyFilterPairByCharacter)
{
    const Descriptor movies("movies", std::string("M\0*.mve\0\0", 9), "SIG!");
    const Descriptor sounds("sounds", std::string("S\0*.07\0Other\0?ound.snd\0\0", 25));
    const std::vector<const AudioFilePlugin *> both{&sounds.d, &movies.d};
    const uint8_t sig[] = {'S', 'I', 'G', '!', 0};
    const uint8_t none[] = {'x'};
    /* The signature wins over a name the other plug-in's filter takes. */
    EXPECT_EQ(ChoosePlugin(both, sig, sizeof sig, "a.07"), 1);
    EXPECT_EQ(ChoosePlugin(both, none, 1, "a.07"), 0);
    EXPECT_EQ(ChoosePlugin(both, none, 1, "A.MVE"), 1);
    /* The second pair counts, and '?' is one UTF-8 character. */
    EXPECT_EQ(ChoosePlugin(both, none, 1, "\xc3\xa9ound.snd"), 0);
    std::string tried;
    EXPECT_EQ(ChoosePlugin(both, sig, 3, "a.wav", &tried), -1);
    EXPECT_EQ(tried, "the signature of movies, *.07;?ound.snd (sounds), *.mve (movies)");
}

TEST(WavHeader, DescribesTheFormat)
{
    const auto h = WavHeader(22050, 2, 16, 1000);
    EXPECT_EQ(std::string(h.begin(), h.begin() + 4), "RIFF");
    EXPECT_EQ(U32(&h[4]), 1036u);
    EXPECT_EQ(std::string(h.begin() + 8, h.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(U32(&h[16]), 16u);
    EXPECT_EQ(U16(&h[20]), 1u);
    EXPECT_EQ(U16(&h[22]), 2u);
    EXPECT_EQ(U32(&h[24]), 22050u);
    EXPECT_EQ(U32(&h[28]), 88200u);
    EXPECT_EQ(U16(&h[32]), 4u);
    EXPECT_EQ(U16(&h[34]), 16u);
    EXPECT_EQ(std::string(h.begin() + 36, h.begin() + 40), "data");
    EXPECT_EQ(U32(&h[40]), 1000u);

    /* 8-bit mono: one byte a frame; an odd data chunk counts its pad byte. */
    const auto odd = WavHeader(8000, 1, 8, 7);
    EXPECT_EQ(U16(&odd[32]), 1u);
    EXPECT_EQ(U32(&odd[28]), 8000u);
    EXPECT_EQ(U32(&odd[4]), 36u + 7u + 1u);
    EXPECT_EQ(WavBlockAlign(2, 12), 4u);
}

TEST(ReadGuard, CatchesTooManyBytesAndWritesPastTheBuffer)
{
    std::vector<uint8_t> buffer(16 + kReadGuardBytes);
    ArmReadGuard(buffer.data(), 16);
    EXPECT_EQ(CheckRead(buffer.data(), 16, 16).kind, ReadVerdict::Ok);
    EXPECT_EQ(CheckRead(buffer.data(), 16, 17).kind, ReadVerdict::TooMany);
    buffer[16 + 5] = 0;
    const ReadVerdict v = CheckRead(buffer.data(), 16, 3);
    EXPECT_EQ(v.kind, ReadVerdict::Overrun);
    EXPECT_EQ(v.at, 21u);
}

TEST(Extent, ItemsAreCutToTheFileAnd4GiBAndSeeksStayInside)
{
    const uint64_t fiveGiB = 5ull << 30;
    EXPECT_EQ(ItemExtent(fiveGiB, 0, UINT64_MAX).size, 0xFFFFFFFFu);
    const Extent late = ItemExtent(fiveGiB, 4ull << 30, UINT64_MAX);
    EXPECT_EQ(late.base, 4ull << 30);
    EXPECT_EQ(late.size, 1u << 30);
    EXPECT_EQ(ItemExtent(100, 200, 10).base, 100u);
    EXPECT_EQ(ItemExtent(100, 200, 10).size, 0u);
    EXPECT_EQ(SeekTarget(10, -20, HOST_SEEK_CUR), 0u);
    EXPECT_EQ(SeekTarget(10, 5, HOST_SEEK_SET), 5u);
    EXPECT_EQ(SeekTarget(0xFFFFFFF0u, 0x7FFFFFFF, HOST_SEEK_CUR), 0xFFFFFFFFu);
    EXPECT_EQ(SeekTarget(10, 5, 2), 10u);
    EXPECT_FALSE(SeekOriginDefined(2));
    EXPECT_EQ(Deliverable(8, 10, 5), 2u);
    EXPECT_EQ(Deliverable(12, 10, 5), 0u);
}

int g_inits = 0;
void PLUGIN_CALL CountInit() { ++g_inits; }

TEST(Attach, FillsTheHostFieldsAndInitsOnlyAPluginOfThisInterface)
{
    Descriptor p("p", std::string("P\0*.p\0\0", 7));
    p.d.Init = CountInit;
    HostFields fields;
    fields.iniFileName = "x.ini";
    p.d.interfaceVersion = 0x200;
    EXPECT_NE(AttachPlugin(p.d, fields).find("interface version 0x200"), std::string::npos);
    EXPECT_EQ(p.d.iniFileName, nullptr);
    p.d.interfaceVersion = PLUGIN_INTERFACE_VERSION;
    p.d.pluginType = 2;
    EXPECT_NE(AttachPlugin(p.d, fields), "");
    EXPECT_EQ(g_inits, 0);
    p.d.pluginType = PLUGIN_TYPE_AUDIO_FILE;
    EXPECT_EQ(AttachPlugin(p.d, fields), "");
    EXPECT_STREQ(p.d.iniFileName, "x.ini");
    EXPECT_EQ(g_inits, 1);
}

} // namespace
