#include "blb/blb_name.h"

#include "blb_test_support.h"

namespace {

TEST(ParseHexByte, ReadsTheDigitRunAndKeepsTheLowByte)
{
    EXPECT_EQ(ParseHexByte("07"), 0x07);
    EXPECT_EQ(ParseHexByte("7"), 0x07);
    EXPECT_EQ(ParseHexByte("aB"), 0xAB);
    EXPECT_EQ(ParseHexByte("107"), 0x07);
    EXPECT_EQ(ParseHexByte("1FF"), 0xFF);
    EXPECT_EQ(ParseHexByte("100"), 0x00);
    EXPECT_EQ(ParseHexByte("12345678123"), 0x23);
    EXPECT_EQ(ParseHexByte("4.08"), 0x04);
    EXPECT_EQ(ParseHexByte("9g"), 0x09);
    EXPECT_EQ(ParseHexByte(""), 0xFF);
    EXPECT_EQ(ParseHexByte("g1"), 0xFF);
    EXPECT_EQ(ParseHexByte(".1"), 0xFF);
}

class BlbName : public BlbTest {
protected:
    /* "rejected", or "type/shift" as two hex bytes. */
    std::string Parse(const std::string &dataString, const std::string &container = "BLB")
    {
        StreamHandle *h = Stream({}, dataString, container);
        BlbSoundName name{0, 0};
        const bool ok = ParseBlbSoundName(h, h->item->dataString, &name);
        Dispose(h);
        if (!ok)
            return "rejected";
        char text[16];
        std::snprintf(text, sizeof text, "%02X/%02X", name.type, name.shift);
        return text;
    }
};

TEST_F(BlbName, TypeComesFromAfterTheLastDot)
{
    EXPECT_EQ(Parse("music.07"), "07/FF");
    EXPECT_EQ(Parse("music.7"), "07/FF");
    EXPECT_EQ(Parse("sfx.08"), "08/FF");
    EXPECT_EQ(Parse("a.b.c.08"), "08/FF");
    EXPECT_EQ(Parse("x.107"), "07/FF");
    EXPECT_EQ(Parse("x.7A"), "rejected");
    EXPECT_EQ(Parse("x.09"), "rejected");
    EXPECT_EQ(Parse("x.08.09"), "rejected");
    EXPECT_EQ(Parse("x."), "rejected");
    EXPECT_EQ(Parse("."), "rejected");
    EXPECT_EQ(Parse("music07"), "rejected");
    EXPECT_EQ(Parse(""), "rejected");
}

TEST_F(BlbName, ShiftComesFromAfterTheFirstDash)
{
    EXPECT_EQ(Parse("music-4.08"), "08/04");
    EXPECT_EQ(Parse("music-0.07"), "07/00");
    EXPECT_EQ(Parse("music-FF.08"), "08/FF");
    EXPECT_EQ(Parse("music-.08"), "08/FF");
    EXPECT_EQ(Parse("music-x.08"), "08/FF");
    EXPECT_EQ(Parse("music-100.08"), "08/00");
    EXPECT_EQ(Parse("music-1FF.08"), "08/FF");
    EXPECT_EQ(Parse("music-1f.07"), "07/1F");
    /* The first '-' counts even before other dots and dashes. */
    EXPECT_EQ(Parse("a-3.b-5.c.07"), "07/03");
    /* A '-' after the last dot is read for the shift too. */
    EXPECT_EQ(Parse("x.07-2"), "07/02");
}

TEST_F(BlbName, OnlyTheContainerNamedBlbExactly)
{
    EXPECT_EQ(Parse("music.08", "BLB"), "08/FF");
    EXPECT_EQ(Parse("music.08", "blb"), "rejected");
    EXPECT_EQ(Parse("music.08", "Blb"), "rejected");
    EXPECT_EQ(Parse("music.08", "BLB2"), "rejected");
    EXPECT_EQ(Parse("music.08", ""), "rejected");
}

TEST_F(BlbName, BrokenContainerChainIsRejectedNotFollowed)
{
    uint8_t type = 0;
    StreamHandle noContainer{};
    EXPECT_FALSE(IsBlbSoundResource(&noContainer, "a.07", &type));
    ContainerFile noPlugin{nullptr};
    StreamHandle h{};
    h.container = &noPlugin;
    EXPECT_FALSE(IsBlbSoundResource(&h, "a.07", &type));
    EXPECT_FALSE(IsBlbSoundResource(nullptr, "a.07", &type));
}

} // namespace
