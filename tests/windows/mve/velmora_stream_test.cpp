/* Movies played through the real DLL over the in-memory host: the same
 * movies the native tests use, now with the Windows build's code, calling
 * convention and memory. */
#include "velmora_fixture.h"

#include <algorithm>

namespace {

TEST_F(Velmora, DecodesTheDocumentedExamples)
{
    EXPECT_EQ(Samples(Decode(HandMovie(0x06, {{Cat({S16({1000}), Bytes{1, 2, 255}})}}), 4096)),
              (std::vector<int16_t>{1000, 1001, 1003, 1002}));
    EXPECT_EQ(Samples(Decode(HandMovie(0x07, {{Cat({S16({100, -100}), Bytes{10, 20}})}}), 4096)),
              (std::vector<int16_t>{100, -100, 110, -80}));
    /* Wrap-around, not clamping: 32000 + 32589 gives -947. */
    EXPECT_EQ(Samples(Decode(HandMovie(0x06, {{Cat({S16({32000}), Bytes{119}})}}), 4096)),
              (std::vector<int16_t>{32000, -947}));
}

TEST_F(Velmora, EveryKindOfMovieMatchesTheMakersTrackAtAnyReadSize)
{
    struct Case {
        uint16_t channels, bits;
        bool compressed;
        uint32_t rate;
    } cases[] = {{1, 16, true, 22050}, {2, 16, true, 44100}, {1, 8, false, 11025},
                 {2, 8, false, 8000},  {1, 16, false, 32000}, {2, 16, false, 22050}};
    mvemaker::MovieOptions options;
    options.audioFramesPerChunk = 2;
    options.alternateChunkTypes = true;
    for (const Case &c : cases) {
        const mvemaker::Movie movie = MakeMovie(c.channels, c.bits, c.compressed, 400, c.rate, options);
        for (uint32_t size : {4u, 6u, 1000u, 4097u, 200000u}) {
            EXPECT_EQ(Decode(movie.file, size), movie.expected) << c.channels << "ch " << c.bits << "bit, reads of "
                                                                << size;
        }
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(channels, c.channels);
        EXPECT_EQ(bits, c.compressed ? 16 : c.bits);
    }
}

TEST_F(Velmora, TinyRequestsAndTheSampleCap)
{
    StreamHandle *h = Stream(HandMovie(0x07, {{Cat({S16({1, 2}), Bytes(20, 1)})}}));
    ASSERT_TRUE(P().Open(h, &rate, &channels, &bits));
    uint8_t buffer[8] = {};
    int32_t marker = 0;
    EXPECT_EQ(P().Read(h, buffer, 3, &marker), 0u);
    EXPECT_EQ(marker, -1);
    EXPECT_EQ(P().Read(h, buffer, 7, &marker), 4u);
    EXPECT_TRUE(P().Close(h));

    mvemaker::MovieOptions big;
    big.framesPerSecond = 2;
    const mvemaker::Movie movie = MakeMovie(1, 16, true, 7000, 22050, big);
    h = Stream(movie.file);
    ASSERT_TRUE(P().Open(h, &rate, &channels, &bits));
    std::vector<uint8_t> out(400000);
    EXPECT_EQ(P().Read(h, out.data(), 400000, &marker), 128000u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 128000, movie.expected.begin()));
    EXPECT_TRUE(P().Close(h));
}

TEST_F(Velmora, OpenRefusesWhatIsNotAMovieWithSound)
{
    Bytes notMovie = MakeMovie(1, 16, true, 100).file;
    notMovie[25] ^= 0x40;
    StreamHandle *h = Stream(notMovie);
    uint32_t r = 1;
    uint16_t c = 1, b = 1;
    SetLastError(0);
    EXPECT_FALSE(P().Open(h, &r, &c, &b));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);
    EXPECT_EQ(h->decoderState, nullptr);
    EXPECT_EQ(r, 1u);
    SetLastError(0);
    EXPECT_FALSE(P().Open(nullptr, &r, &c, &b));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(P().Close(nullptr));
    EXPECT_EQ(P().Read(nullptr, &r, 4, nullptr), 0u);
}

TEST_F(Velmora, UnusualStructuresStillPlayEveryFrame)
{
    /* Frames without audio, frames too short for their header, an odd
     * stereo frame whose last byte has no partner. */
    EXPECT_EQ(Decode(HandMovie(0x00, {{Bytes{}, Bytes{1, 2}}, {Bytes{}}, {Bytes{3}}}), 64), (Bytes{1, 2, 3}));
    Bytes shortOp = HandMovie(0x00, {});
    Bytes body = {3, 0, 8, 0, 0x55, 0x55, 0x55};
    mvemaker::AppendOpcode(body, 8, 0, mvemaker::AudioFramePayload(0, 1, 0, (const uint8_t *)"\x09", 1));
    mvemaker::AppendChunk(shortOp, 3, body);
    EXPECT_EQ(Decode(shortOp, 64), (Bytes{9}));
    const Bytes odd = HandMovie(0x07, {{Cat({S16({100, -100}), Bytes{10, 20, 5}})},
                                       {Cat({S16({1000, 2000}), Bytes{1, 2}})}});
    for (uint32_t size : {4u, 8u, 64u})
        EXPECT_EQ(Samples(Decode(odd, size)), (std::vector<int16_t>{100, -100, 110, -80, 1000, 2000, 1001, 2002}));
    /* The 8-bit flag on a compressed stream: 16-bit samples all the same. */
    EXPECT_EQ(Samples(Decode(HandMovie(0x05, {{Cat({S16({100, -100}), Bytes{10, 20}})}}), 64)),
              (std::vector<int16_t>{100, -100, 110, -80}));
    EXPECT_EQ(bits, 16);

    mvemaker::MovieOptions options;
    options.emptyFrameEvery = 2;
    options.zeroLengthChunkEvery = 2;
    options.endChunk = false;
    const mvemaker::Movie movie = MakeMovie(2, 16, true, 300, 22050, options);
    EXPECT_EQ(Decode(movie.file, 3000), movie.expected);
}

TEST_F(Velmora, HostileHostAndCutMovies)
{
    const mvemaker::Movie movie = MakeMovie(2, 16, true, 120);
    host.maxReadChunk = 1;
    EXPECT_EQ(Decode(movie.file, 1002), movie.expected);
    host.maxReadChunk = 0;
    for (size_t cut = 200; cut < movie.file.size(); cut += 97) {
        const Bytes got = Decode(Bytes(movie.file.begin(), movie.file.begin() + cut), 700);
        ASSERT_LE(got.size(), movie.expected.size());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), movie.expected.begin())) << cut;
    }
}

} // namespace
