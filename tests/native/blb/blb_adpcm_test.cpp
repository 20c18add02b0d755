#include "blb/blb_adpcm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<int16_t> Decode(const std::vector<uint8_t> &deltas, uint32_t shift, int16_t start = 0)
{
    std::vector<uint8_t> out(2 * deltas.size() + 2, 0xEE);
    int16_t acc = start;
    DecodeDwAdpcm(deltas.data(), static_cast<uint32_t>(deltas.size()), &acc, shift, out.data());
    EXPECT_EQ(out[2 * deltas.size()], 0xEE) << "wrote past its samples";
    std::vector<int16_t> samples(deltas.size());
    for (size_t k = 0; k < deltas.size(); ++k)
        samples[k] = static_cast<int16_t>(out[2 * k] | (out[2 * k + 1] << 8));
    return samples;
}

TEST(DwAdpcm, DeltasAccumulateAndShiftLeft)
{
    EXPECT_EQ(Decode({0x7F, 0x7F, 0x7F}, 0), (std::vector<int16_t>{127, 254, 381}));
    EXPECT_EQ(Decode({0x7F, 0x7F, 0x7F}, 4), (std::vector<int16_t>{2032, 4064, 6096}));
    EXPECT_EQ(Decode({0xFF, 0xFF}, 0), (std::vector<int16_t>{-1, -2}));
    EXPECT_EQ(Decode({0x80}, 0), (std::vector<int16_t>{-128}));
    EXPECT_EQ(Decode({0x00}, 4, -1), (std::vector<int16_t>{-16}));
    EXPECT_EQ(Decode({0x01}, 15, 0), (std::vector<int16_t>{-32768}));
}

TEST(DwAdpcm, AccumulatorWrapsWithoutClamping)
{
    const std::vector<int16_t> s = Decode(std::vector<uint8_t>(300, 0x7F), 0);
    for (int n = 1; n <= 258; ++n)
        ASSERT_EQ(s[n - 1], 127 * n) << "sample " << n;
    EXPECT_EQ(s[257], 32766);
    EXPECT_EQ(s[258], -32643);
    EXPECT_EQ(s[259], -32643 + 127);
}

TEST(DwAdpcm, AccumulatorCarriesAcrossCalls)
{
    std::vector<uint8_t> out(4);
    int16_t acc = 0;
    const uint8_t first[] = {0x7F, 0x7F};
    DecodeDwAdpcm(first, 2, &acc, 0, out.data());
    EXPECT_EQ(acc, 254);
    const uint8_t many[] = {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F};
    acc = 32766;
    DecodeDwAdpcm(many, 1, &acc, 0, out.data());
    EXPECT_EQ(acc, -32643);
    DecodeDwAdpcm(many, 0, &acc, 0, out.data());
    EXPECT_EQ(acc, -32643);
}

TEST(DwAdpcm, ShiftIsTakenModuloThirtyTwo)
{
    const std::vector<uint8_t> deltas = {0x05, 0xF0, 0x7F, 0x80, 0x33};
    for (uint32_t shift = 16; shift < 32; ++shift)
        EXPECT_EQ(Decode(deltas, shift), std::vector<int16_t>(deltas.size(), 0)) << shift;
    EXPECT_EQ(Decode(deltas, 32), Decode(deltas, 0));
    EXPECT_EQ(Decode(deltas, 36), Decode(deltas, 4));
    EXPECT_EQ(Decode(deltas, 0xFE), Decode(deltas, 30));
    /* Bits shifted past 16 are dropped and bit 15 becomes the sign. */
    EXPECT_EQ(Decode({0x05}, 14)[0], 0x4000);
    EXPECT_EQ(Decode({0x03}, 14)[0], -16384);
}

} // namespace
