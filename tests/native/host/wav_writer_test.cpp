#include "host/output/wav_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

uint32_t U32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

std::vector<uint8_t> Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WavWriter, FinishFixesTheSizesAndPadsOddData)
{
    const std::string path = testing::TempDir() + "plughost_wav_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    WavFileWriter w;
    ASSERT_TRUE(w.Begin(f, false, 11025, 1, 8, true));
    const uint8_t a[] = {1, 2, 3}, b[] = {4, 5};
    ASSERT_TRUE(w.Write(a, 3));
    ASSERT_TRUE(w.Write(b, 2));
    ASSERT_TRUE(w.Write(nullptr, 0));
    ASSERT_TRUE(w.Finish());
    std::fclose(f);
    const std::vector<uint8_t> file = Slurp(path);
    ASSERT_EQ(file.size(), 44u + 5u + 1u);
    EXPECT_EQ(U32(&file[4]), 36u + 6u);
    EXPECT_EQ(U32(&file[40]), 5u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), (std::vector<uint8_t>{1, 2, 3, 4, 5, 0}));

    /* Raw, and a file that cannot be rewound: no header to put right. */
    f = std::fopen(path.c_str(), "wb");
    WavFileWriter raw;
    ASSERT_TRUE(raw.Begin(f, true, 11025, 1, 8, true));
    ASSERT_TRUE(raw.Write(a, 3));
    ASSERT_TRUE(raw.Finish());
    std::fclose(f);
    EXPECT_EQ(Slurp(path), (std::vector<uint8_t>{1, 2, 3}));
    f = std::fopen(path.c_str(), "wb");
    WavFileWriter piped;
    ASSERT_TRUE(piped.Begin(f, false, 11025, 1, 8, false));
    ASSERT_TRUE(piped.Write(a, 3));
    ASSERT_TRUE(piped.Finish());
    std::fclose(f);
    const std::vector<uint8_t> unknown = Slurp(path);
    ASSERT_EQ(unknown.size(), 47u);
    EXPECT_EQ(U32(&unknown[40]), kWavUnknownSize);
    std::remove(path.c_str());
}

} // namespace
