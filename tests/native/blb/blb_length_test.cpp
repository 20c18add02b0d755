#include "blb/blb_length.h"

#include "blb_test_support.h"

#include <cstring>

namespace {

using BlbLength = BlbTest;

TEST_F(BlbLength, FollowsFromTheSizeAndEncoding)
{
    struct Case {
        size_t size;
        const char *dataString;
        int32_t ms;
    } cases[] = {
        {44100, "music.08", 1000}, {44100, "music-4.08", 2000}, {100, "sfx.07", 2},
        {100, "sfx-0.07", 5},      {0, "sfx.07", 0},            {0, "sfx-1.07", 0},
    };
    for (const Case &c : cases) {
        ResourceItem *item = host.AddItem(std::vector<uint8_t>(c.size), c.dataString);
        EXPECT_EQ(GetLength(item), c.ms) << c.size << " " << c.dataString;
    }
    EXPECT_EQ(host.openStreams(), 0u);
    EXPECT_EQ(host.counters.opens, host.counters.closes);
}

TEST_F(BlbLength, RefusalsCloseWhatTheyOpened)
{
    EXPECT_EQ(GetLength(nullptr), -1);
    EXPECT_EQ(GetLength(host.AddItem({1, 2}, "music.09")), -1);
    EXPECT_EQ(GetLength(host.AddItem({1, 2}, "music.08", "BLBX")), -1);
    EXPECT_EQ(host.openStreams(), 0u);
    EXPECT_EQ(host.counters.opens, 2u);
    host.failOpen = true;
    EXPECT_EQ(GetLength(host.AddItem({1, 2}, "music.08")), -1);
}

TEST(BlbPlayLength, RoundsLikeMulDivAndStaysRightForHugeSizes)
{
    EXPECT_EQ(BlbPlayLengthMs(441, 0xFF), 10);   /* exactly 10 ms */
    EXPECT_EQ(BlbPlayLengthMs(22, 0xFF), 0);     /* 0.499 */
    EXPECT_EQ(BlbPlayLengthMs(0x7FFFFFFFu, 0xFF), MulDiv(8000, 0x7FFFFFFF, 352800));
    EXPECT_EQ(BlbPlayLengthMs(0x3FFFFFFFu, 4), MulDiv(8000, 0x7FFFFFFE, 352800));
    /* Sizes whose byte or sample count no longer fits MulDiv's int argument. */
    EXPECT_EQ(BlbPlayLengthMs(0x40000000u, 4), 48695774);   /* 2^31 x 20 / 882 = ...774.33 */
    EXPECT_EQ(BlbPlayLengthMs(0xFFFFFFFFu, 0xFF), 97391549); /* ...548.64 */
    EXPECT_EQ(BlbPlayLengthMs(0xFFFFFFFFu, 0), 194783097);   /* ...097.28 */
    EXPECT_EQ(BlbPlayLengthMs(0x80000000u + 441u * 1000u, 0xFF), BlbPlayLengthMs(0x80000000u, 0xFF) + 10000);
}

using BlbIdentify = BlbTest;

TEST_F(BlbIdentify, DescribesASoundByItsName)
{
    /* The name argument is judged, not the item's data string. */
    StreamHandle *h = Stream(Noise(1234), "whatever.09");
    ResourceInfo *info = Identify(h, 0, "music-4.08");
    ASSERT_NE(info, nullptr);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(info);
    for (size_t i = 0; i < RESOURCE_INFO_SIZE; ++i)
        if (i < 0x430 || i >= 0x438)
            ASSERT_EQ(bytes[i], 0) << "byte " << i;
    uint32_t start, size;
    std::memcpy(&start, bytes + 0x430, 4);
    std::memcpy(&size, bytes + 0x434, 4);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(size, 1234u);
    GlobalFree(info);
    Dispose(h);
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks);
}

TEST_F(BlbIdentify, RefusesOtherNamesAndContainers)
{
    StreamHandle *blb = Stream({1}, "a.08");
    StreamHandle *other = Stream({1}, "a.08", "MVE");
    EXPECT_EQ(Identify(nullptr, 0, "a.08"), nullptr);
    EXPECT_EQ(Identify(blb, 0, "a.09"), nullptr);
    EXPECT_EQ(Identify(blb, 0, "a-08"), nullptr);
    EXPECT_EQ(Identify(blb, 0, nullptr), nullptr);
    EXPECT_EQ(Identify(other, 0, "a.08"), nullptr);
    standin::FailAllocationAfter(1);
    EXPECT_EQ(Identify(blb, 0, "a.08"), nullptr);
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks);
    Dispose(blb);
    Dispose(other);
}

} // namespace
