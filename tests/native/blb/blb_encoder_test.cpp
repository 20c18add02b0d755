#include "blb/blb_adpcm.h"

#include "audio_convert.h"
#include "blb_encoder.h"
#include "tune.h"
#include "wav_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

/* What the plug-in plays for an encoded resource. */
std::vector<int16_t> Play(const std::vector<uint8_t> &deltas, unsigned shift)
{
    std::vector<uint8_t> pcm(2 * deltas.size());
    int16_t acc = 0;
    DecodeDwAdpcm(deltas.data(), static_cast<uint32_t>(deltas.size()), &acc, shift, pcm.data());
    std::vector<int16_t> out(deltas.size());
    for (size_t k = 0; k < out.size(); ++k)
        out[k] = static_cast<int16_t>(pcm[2 * k] | (pcm[2 * k + 1] << 8));
    return out;
}

long MaxError(const std::vector<int16_t> &a, const std::vector<int16_t> &b)
{
    long worst = 0;
    for (size_t k = 0; k < a.size(); ++k)
        worst = std::max(worst, std::labs(static_cast<long>(a[k]) - b[k]));
    return worst;
}

std::vector<int16_t> Sine(double hz, double amplitude, size_t n)
{
    std::vector<int16_t> v(n);
    for (size_t k = 0; k < n; ++k)
        v[k] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * k / 22050.0)));
    return v;
}

TEST(BlbEncoder, DwAdpcmFollowsAModerateSineWithinHalfAStep)
{
    /* 220 Hz at 1500 climbs at most 94 per sample: one delta always suffices. */
    const std::vector<int16_t> source = Sine(220, 1500, 22050);
    for (unsigned shift = 0; shift <= 4; ++shift) {
        const std::vector<uint8_t> deltas = blb::EncodeDwAdpcm(source, shift);
        ASSERT_EQ(deltas.size(), source.size());
        EXPECT_LE(MaxError(Play(deltas, shift), source), shift ? 1L << (shift - 1) : 0L) << "shift " << shift;
    }
}

TEST(BlbEncoder, NeverWrapsPastTheCeiling)
{
    /* Climbing to full scale: each step of 127 would overshoot 32767 at the
     * top and wrap to a large negative sample; the encoder must stop short. */
    const std::vector<int16_t> ceiling(400, 32767);
    const std::vector<int16_t> played = Play(blb::EncodeDwAdpcm(ceiling, 0), 0);
    for (size_t k = 1; k < played.size(); ++k)
        ASSERT_GE(played[k], played[k - 1]) << k;
    EXPECT_EQ(played.back(), 32767);
    const std::vector<int16_t> floor(400, -32768);
    EXPECT_EQ(Play(blb::EncodeDwAdpcm(floor, 0), 0).back(), -32768);
}

TEST(BlbEncoder, FullScaleSineStaysWithinAStep)
{
    /* 100 Hz at full scale climbs up to 934 per sample: within reach of one
     * delta from shift 3 on.  Near the peaks the top step of a shifted
     * accumulator sits below 32767, hence a whole step of tolerance. */
    const std::vector<int16_t> source = Sine(100, 32767, 22050);
    for (unsigned shift : {3u, 4u, 8u})
        EXPECT_LE(MaxError(Play(blb::EncodeDwAdpcm(source, shift), shift), source), 1L << shift) << shift;
}

TEST(BlbEncoder, SilentShiftsStoreZerosAndOutputMatchesThePlayer)
{
    const std::vector<int16_t> source = Sine(440, 8000, 500);
    for (unsigned shift : {16u, 20u, 31u})
        EXPECT_EQ(blb::EncodeDwAdpcm(source, shift), std::vector<uint8_t>(500, 0)) << shift;
    for (unsigned shift : {0u, 3u, 15u, 16u, 32u, 35u})
        for (uint32_t acc = 0; acc < 0x10000; acc += 97) {
            uint8_t pcm[2];
            int16_t a = static_cast<int16_t>(acc - 1);
            const uint8_t one = 1;
            DecodeDwAdpcm(&one, 1, &a, shift, pcm);
            ASSERT_EQ(blb::DwAdpcmOutput(static_cast<uint16_t>(acc), shift),
                      static_cast<int16_t>(pcm[0] | (pcm[1] << 8)));
        }
}

TEST(BlbEncoder, RawPcmIsLittleEndian)
{
    EXPECT_EQ(blb::EncodeRawPcm({0x1234, -2, 0}), (std::vector<uint8_t>{0x34, 0x12, 0xFE, 0xFF, 0, 0}));
}

TEST(BlbMakerAudio, StereoIsMixedAndResampledToBlbFormat)
{
    blb::WavAudio in;
    in.sampleRate = 44100;
    in.channels = 2;
    for (int k = 0; k < 44100; ++k) {
        in.samples.push_back(static_cast<int16_t>(k % 2 ? 1000 : 3000));
        in.samples.push_back(static_cast<int16_t>(k % 2 ? -1000 : 1000));
    }
    const std::vector<int16_t> out = blb::ToBlbFormat(in);
    ASSERT_EQ(out.size(), 22050u);
    EXPECT_EQ(out[0], 2000);
    EXPECT_EQ(out[22049], 2000);

    in.sampleRate = 11025;
    in.channels = 1;
    in.samples = {0, 100, 200};
    EXPECT_EQ(blb::ToBlbFormat(in), (std::vector<int16_t>{0, 50, 100, 150, 200, 200}));
    in.samples.clear();
    EXPECT_TRUE(blb::ToBlbFormat(in).empty());
}

TEST(BlbMakerAudio, WavFilesRoundTripAndBadOnesAreRefused)
{
    char dir[] = "/tmp/blb_wav_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/a.wav";
    blb::WavAudio out;
    out.sampleRate = 22050;
    out.channels = 1;
    out.samples = blb::MakeTune(0.25);
    ASSERT_EQ(out.samples.size(), 5512u);
    ASSERT_TRUE(blb::WriteWav(path, out));
    blb::WavAudio in;
    std::string error;
    ASSERT_TRUE(blb::ReadWav(path, in, error)) << error;
    EXPECT_EQ(in.sampleRate, 22050u);
    EXPECT_EQ(in.channels, 1u);
    EXPECT_EQ(in.samples, out.samples);

    const std::string bad = std::string(dir) + "/b.wav";
    std::FILE *f = std::fopen(bad.c_str(), "wb");
    std::fputs("RIFF\x04\0\0\0WAVEjunk", f);
    std::fclose(f);
    EXPECT_FALSE(blb::ReadWav(bad, in, error));
    EXPECT_FALSE(blb::ReadWav(std::string(dir) + "/missing.wav", in, error));
    std::remove(path.c_str());
    std::remove(bad.c_str());
    rmdir(dir);
}

} // namespace
