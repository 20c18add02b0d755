/* The DPCM step table and the decoding kernels. */
#include "dpcm_encoder.h"
#include "mve_dpcm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<int16_t> AsSamples(const std::vector<uint8_t> &pcm)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2)
        out.push_back(int16_t(uint16_t(pcm[i] | (pcm[i + 1] << 8))));
    return out;
}

TEST(MveDeltaTable, MirrorsAroundEntry128AndAgreesWithTheEncoder)
{
    EXPECT_EQ(MVE_DELTA_TABLE[0], 0);
    EXPECT_EQ(MVE_DELTA_TABLE[43], 43);
    EXPECT_EQ(MVE_DELTA_TABLE[44], 47);
    EXPECT_EQ(MVE_DELTA_TABLE[119], 32589);
    EXPECT_EQ(MVE_DELTA_TABLE[120], -29973);
    EXPECT_EQ(MVE_DELTA_TABLE[127], -1);
    EXPECT_EQ(MVE_DELTA_TABLE[128], 1);
    EXPECT_EQ(MVE_DELTA_TABLE[129], 1);
    EXPECT_EQ(MVE_DELTA_TABLE[137], -32589);
    EXPECT_EQ(MVE_DELTA_TABLE[255], -1);
    for (int i = 1; i < 128; ++i)
        EXPECT_EQ(int16_t(uint16_t(-MVE_DELTA_TABLE[128 - i])), MVE_DELTA_TABLE[128 + i]) << i;
    /* The movie maker keeps its own copy, written down independently. */
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(mvemaker::DpcmStep(uint8_t(code)), MVE_DELTA_TABLE[code]) << code;
    /* Steps grow monotonically up to the wrap. */
    for (int i = 1; i < 120; ++i)
        EXPECT_LT(MVE_DELTA_TABLE[i - 1], MVE_DELTA_TABLE[i]) << i;
}

TEST(MveDpcmKernel, MonoSumsStepsWithWrapAround)
{
    const uint8_t codes[] = {1, 2, 255};
    uint8_t out[6];
    int16_t predictor = 1000;
    DecodeMveDpcmMono(codes, 3, &predictor, out);
    EXPECT_EQ(AsSamples({out, out + 6}), (std::vector<int16_t>{1001, 1003, 1002}));
    EXPECT_EQ(predictor, 1002);

    /* No clamping: 32000 + 32589 wraps to -947, and after -29973 the
     * step -26728 wraps past -32768 to 7888. */
    const uint8_t big[] = {119, 120, 121};
    uint8_t out2[6];
    predictor = 32000;
    DecodeMveDpcmMono(big, 3, &predictor, out2);
    EXPECT_EQ(AsSamples({out2, out2 + 6}), (std::vector<int16_t>{-947, int16_t(-947 - 29973),
                                                                 int16_t(-947 - 29973 - 26728 + 65536)}));
}

TEST(MveDpcmKernel, StereoAlternatesAndResumesInsideAPair)
{
    const uint8_t codes[] = {10, 20, 1, 255, 3, 4, 200};
    const size_t n = sizeof codes;
    std::vector<uint8_t> whole(2 * n);
    int16_t p[2] = {100, -100};
    EXPECT_EQ(DecodeMveDpcmStereo(codes, n, p, 0, whole.data()), 1u);
    const std::vector<int16_t> samples = AsSamples(whole);
    EXPECT_EQ(samples[0], 110);
    EXPECT_EQ(samples[1], -80);
    EXPECT_EQ(samples[2], 111);
    EXPECT_EQ(samples[3], -81);

    /* Any split into two batches gives the same samples and predictors. */
    for (size_t split = 0; split <= n; ++split) {
        std::vector<uint8_t> parts(2 * n);
        int16_t q[2] = {100, -100};
        const unsigned next = DecodeMveDpcmStereo(codes, uint32_t(split), q, 0, parts.data());
        EXPECT_EQ(next, split % 2);
        EXPECT_EQ(DecodeMveDpcmStereo(codes + split, uint32_t(n - split), q, next, parts.data() + 2 * split), 1u);
        EXPECT_EQ(parts, whole) << "split at " << split;
        EXPECT_EQ(q[0], p[0]);
        EXPECT_EQ(q[1], p[1]);
    }
}

TEST(MveDpcmEncoder, StaysClosestWithoutOverflowAndDecodesBack)
{
    /* Full-scale jumps and slow slopes in both channels. */
    std::vector<int16_t> src;
    for (int i = 0; i < 400; ++i) {
        src.push_back(int16_t(i % 50 < 25 ? 32767 : -32768));
        const int v = (i * 37) % 1480; /* a triangle in steps of 37 */
        src.push_back(int16_t((v < 740 ? v : 1480 - v) - 370));
    }
    std::vector<int16_t> decoded;
    const std::vector<uint8_t> bytes = mvemaker::EncodeDpcmFrame(src.data(), 400, 2, &decoded);
    ASSERT_EQ(bytes.size(), 4u + 2 * 399);
    ASSERT_EQ(decoded.size(), src.size());

    /* The decoder's own kernel reproduces the encoder's reconstruction. */
    int16_t p[2] = {int16_t(bytes[0] | bytes[1] << 8), int16_t(bytes[2] | bytes[3] << 8)};
    std::vector<uint8_t> out(2 * (bytes.size() - 4));
    DecodeMveDpcmStereo(bytes.data() + 4, uint32_t(bytes.size() - 4), p, 0, out.data());
    const std::vector<int16_t> again = AsSamples(out);
    EXPECT_EQ(std::vector<int16_t>(decoded.begin() + 2, decoded.end()), again);
    /* Steps the table holds are followed exactly. */
    for (size_t i = 3; i < src.size(); i += 2)
        EXPECT_EQ(decoded[i], src[i]) << i;
}

} // namespace
