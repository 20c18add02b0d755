/* The movie maker's library: the movies it lays out and the WAV files it
 * reads, since every other velmora test trusts them. */
#include "mve_format.h"
#include "mve_test_support.h"
#include "pcm.h"

#include <algorithm>
#include <string>

namespace {

using namespace mvetest;

struct Record {
    uint16_t length;
    uint8_t type;
};

/* The chunk list of a movie, and the opcode types of each chunk. */
void Walk(const Bytes &file, std::vector<Record> &chunks, std::vector<std::vector<uint8_t>> &opcodes)
{
    size_t at = MVE_HEADER_SIZE;
    while (at + 4 <= file.size()) {
        const Record chunk{uint16_t(file[at] | file[at + 1] << 8), file[at + 2]};
        chunks.push_back(chunk);
        opcodes.emplace_back();
        size_t op = at + 4;
        const size_t end = op + chunk.length;
        ASSERT_LE(end, file.size());
        while (op + 4 <= end) {
            opcodes.back().push_back(file[op + 2]);
            op += 4 + (file[op] | file[op + 1] << 8);
        }
        ASSERT_EQ(op, end) << "opcodes fill their chunk exactly";
        at = end;
    }
    ASSERT_EQ(at, file.size());
}

TEST(MveWriter, LaysOutARealisticMovie)
{
    mvemaker::Movie movie;
    std::string error;
    mvemaker::MovieOptions options;
    options.audioFramesPerChunk = 2;
    ASSERT_TRUE(mvemaker::BuildMovie(mvemaker::BuiltInTune(22050, 2, 16, 1000), options, movie, error)) << error;
    ASSERT_TRUE(IsMveHeader(movie.file.data()));
    std::vector<Record> chunks;
    std::vector<std::vector<uint8_t>> ops;
    Walk(movie.file, chunks, ops);
    ASSERT_GE(chunks.size(), 5u);
    EXPECT_EQ(chunks[0].type, 2);
    EXPECT_EQ(ops[0], (std::vector<uint8_t>{2, 5, 0x0A, 1}));
    EXPECT_EQ(chunks[1].type, 0);
    EXPECT_EQ(ops[1], (std::vector<uint8_t>{3, 1}));
    EXPECT_EQ(chunks[2].type, 3);
    EXPECT_EQ(std::count(ops[2].begin(), ops[2].end(), 8), 2);
    EXPECT_EQ(chunks.back().type, 5);
    EXPECT_EQ(chunks.back().length, 0);
    EXPECT_EQ(chunks[chunks.size() - 2].type, 4);
    /* 15 movie frames of 1470 stereo samples: 8 chunks. */
    EXPECT_EQ(chunks.size(), 2u + 8u + 2u);
    EXPECT_EQ(movie.expected.size(), 22050u * 4);
}

TEST(MveWriter, RefusesWhatCannotBeStored)
{
    mvemaker::Movie movie;
    std::string error;
    mvemaker::MovieOptions options;
    options.framesPerSecond = 1; /* a second of 44.1 kHz stereo PCM is over 64 KiB */
    options.compressed = false;
    EXPECT_FALSE(mvemaker::BuildMovie(mvemaker::BuiltInTune(44100, 2, 16, 1500), options, movie, error));
    EXPECT_NE(error.find("64 KiB"), std::string::npos);
    options.framesPerSecond = 15;
    EXPECT_FALSE(mvemaker::BuildMovie(mvemaker::BuiltInTune(70000, 1, 16, 100), options, movie, error));
    mvemaker::Pcm threeChannels;
    threeChannels.channels = 3;
    EXPECT_FALSE(mvemaker::BuildMovie(threeChannels, options, movie, error));
}

TEST(MveWriter, WavFilesRoundTripAndBadOnesAreRefused)
{
    for (uint16_t bits : {8, 16}) {
        const mvemaker::Pcm tune = mvemaker::BuiltInTune(11025, 2, bits, 200);
        mvemaker::Pcm back;
        std::string error;
        ASSERT_TRUE(mvemaker::ParseWav(mvemaker::MakeWav(tune), back, error)) << error;
        EXPECT_EQ(back.sampleRate, 11025u);
        EXPECT_EQ(back.channels, 2);
        EXPECT_EQ(back.bitsPerSample, bits);
        EXPECT_EQ(back.bytes, tune.bytes);
    }
    mvemaker::Pcm mono = mvemaker::BuiltInTune(8000, 1, 16, 10);
    Bytes wav = mvemaker::MakeWav(mono);
    mvemaker::Pcm back;
    std::string error;
    Bytes floatWav = wav;
    floatWav[20] = 3; /* IEEE float */
    EXPECT_FALSE(mvemaker::ParseWav(floatWav, back, error));
    Bytes notRiff = wav;
    notRiff[0] = 'X';
    EXPECT_FALSE(mvemaker::ParseWav(notRiff, back, error));
    /* A data chunk longer than the file: what is there, in whole frames. */
    Bytes cut(wav.begin(), wav.end() - 3);
    ASSERT_TRUE(mvemaker::ParseWav(cut, back, error)) << error;
    EXPECT_EQ(back.bytes.size(), mono.bytes.size() - 4);
    for (size_t n = 0; n < 44; ++n)
        mvemaker::ParseWav(Bytes(wav.begin(), wav.begin() + n), back, error); /* never reads past the end */
}

} // namespace
