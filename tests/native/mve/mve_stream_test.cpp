/* Open, Read and Close on whole movies, through the in-memory host. */
#include "mve_format.h"
#include "mve_test_support.h"
#include "pcm.h"

#include <algorithm>
#include <random>

namespace {

using namespace mvetest;

mvemaker::Movie MakeMovie(uint16_t channels, uint16_t bits, bool compressed, uint32_t ms = 300, uint32_t rate = 22050,
                          mvemaker::MovieOptions options = {})
{
    options.compressed = compressed;
    mvemaker::Movie movie;
    std::string error;
    EXPECT_TRUE(mvemaker::BuildMovie(mvemaker::BuiltInTune(rate, channels, bits, ms), options, movie, error)) << error;
    return movie;
}

class MveStream : public MveTest {
protected:
    StreamHandle *OpenMovie(const Bytes &file)
    {
        StreamHandle *h = Stream(file);
        EXPECT_TRUE(g_plugin.Open(h, &rate, &channels, &bits));
        return h;
    }
    Bytes Decode(const Bytes &file, uint32_t byteCount)
    {
        StreamHandle *h = OpenMovie(file);
        Bytes out = ReadAll(h, byteCount);
        EXPECT_TRUE(g_plugin.Close(h));
        return out;
    }
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
};

TEST_F(MveStream, DecodesTheDocumentedExamples)
{
    /* Mono: start value 1000, bytes 1, 2, 255. */
    Bytes mono = SimpleMovie(0x06, {FrameOp(Cat({S16({1000}), Bytes{1, 2, 255}}))});
    EXPECT_EQ(Samples(Decode(mono, 4096)), (std::vector<int16_t>{1000, 1001, 1003, 1002}));
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(bits, 16);
    /* Stereo: start values 100 and -100, bytes 10, 20. */
    Bytes stereo = SimpleMovie(0x07, {FrameOp(Cat({S16({100, -100}), Bytes{10, 20}}))});
    EXPECT_EQ(Samples(Decode(stereo, 4096)), (std::vector<int16_t>{100, -100, 110, -80}));
    EXPECT_EQ(channels, 2);
}

TEST_F(MveStream, WholeMoviesOfEveryKindMatchTheMakersTrack)
{
    struct Case {
        uint16_t channels, bits;
        bool compressed;
        uint32_t rate;
    } cases[] = {{1, 16, true, 22050}, {2, 16, true, 44100}, {1, 8, false, 11025},
                 {2, 8, false, 8000},  {1, 16, false, 32000}, {2, 16, false, 22050}};
    for (const Case &c : cases) {
        const mvemaker::Movie movie = MakeMovie(c.channels, c.bits, c.compressed, 500, c.rate);
        ASSERT_FALSE(movie.expected.empty());
        EXPECT_EQ(Decode(movie.file, 100000), movie.expected) << c.channels << "ch " << c.bits << "bit";
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(channels, c.channels);
        EXPECT_EQ(bits, c.compressed ? 16 : c.bits);
    }
}

TEST_F(MveStream, ReadsOfEverySizeGiveTheSameBytesAsOneRead)
{
    mvemaker::MovieOptions several;
    several.audioFramesPerChunk = 3;
    several.framesPerSecond = 60;
    const mvemaker::Movie movies[] = {MakeMovie(1, 16, true, 60), MakeMovie(2, 16, true, 60, 22050, several),
                                      MakeMovie(2, 16, false, 60), MakeMovie(1, 8, false, 60, 11025, several)};
    for (const mvemaker::Movie &movie : movies) {
        const Bytes whole = Decode(movie.file, 1u << 20);
        ASSERT_EQ(whole, movie.expected);
        const uint32_t frame = movie.channels * movie.bitsPerSample / 8u;
        for (uint32_t size = frame; size <= 700; ++size)
            ASSERT_EQ(Decode(movie.file, size), whole) << "reads of " << size;
    }
}

TEST_F(MveStream, RequestsSmallerThanASampleFrameDeliverNothing)
{
    /* One frame of 40 bytes after its header: 78 bytes of compressed mono
     * output, 76 of compressed stereo, 40 uncompressed. */
    struct Case {
        uint16_t flags;
        uint32_t byteCount, expected, total;
    } cases[] = {
        {0x06, 1, 0, 78}, {0x06, 2, 2, 78}, {0x06, 3, 2, 78},                   /* compressed mono */
        {0x07, 2, 0, 76}, {0x07, 3, 0, 76}, {0x07, 4, 4, 76}, {0x07, 7, 4, 76}, /* compressed stereo */
        {0x03, 3, 0, 40}, {0x03, 10, 8, 40}, {0x01, 1, 0, 40}, {0x01, 3, 2, 40}, {0x00, 1, 1, 40},
    };
    for (const Case &c : cases) {
        const Bytes file = SimpleMovie(c.flags, {FrameOp(Bytes(40, 3))});
        StreamHandle *h = OpenMovie(file);
        uint8_t buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), 0xEE);
        int32_t marker = 0;
        EXPECT_EQ(g_plugin.Read(h, buffer, c.byteCount, &marker), c.expected)
            << "flags " << c.flags << " count " << c.byteCount;
        EXPECT_EQ(marker, -1);
        EXPECT_EQ(buffer[c.byteCount], 0xEE);
        /* Nothing was lost: the whole track is still there. */
        EXPECT_EQ(c.expected + ReadAll(h, 64).size(), c.total);
        g_plugin.Close(h);
    }
}

/* Forwards to the memory host, remembering the largest read request. */
const HostFileServices *g_inner = nullptr;
uint32_t g_largestRead = 0;
void PLUGIN_CALL RecordingRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    g_largestRead = std::max(g_largestRead, count);
    g_inner->Read(h, buffer, count, got);
}

TEST_F(MveStream, CompressedReadsStopAt64000SamplesAndBatchesAtTheScratchBlock)
{
    mvemaker::MovieOptions big;
    big.framesPerSecond = 2; /* frames of 11025 samples: batches span frames */
    const mvemaker::Movie movie = MakeMovie(1, 16, true, 10000, 22050, big);
    HostFileServices recording = *host.services();
    recording.Read = RecordingRead;
    g_inner = host.services();
    g_largestRead = 0;
    g_plugin.hostServices = &recording;

    StreamHandle *h = OpenMovie(movie.file);
    std::vector<uint8_t> buffer(300000);
    int32_t marker = 0;
    EXPECT_EQ(g_plugin.Read(h, buffer.data(), 300000, &marker), 128000u);
    EXPECT_EQ(g_plugin.Read(h, buffer.data(), 128001, &marker), 128000u);
    EXPECT_EQ(g_plugin.Read(h, buffer.data(), 127999, &marker), 127998u);
    EXPECT_LE(g_largestRead, MVE_BATCH_BYTES);
    g_plugin.Close(h);

    /* Uncompressed audio has no such cap. */
    const mvemaker::Movie pcm = MakeMovie(2, 16, false, 4000, 22050, big);
    h = OpenMovie(pcm.file);
    EXPECT_EQ(g_plugin.Read(h, buffer.data(), 300000, &marker), 300000u);
    g_plugin.Close(h);
}

TEST_F(MveStream, PredictorCarriesOverReadsAndRestartsWithEachFrame)
{
    const Bytes file = SimpleMovie(0x06, {FrameOp(Cat({S16({1000}), Bytes{1, 2, 3, 4}})),
                                          FrameOp(Cat({S16({-500}), Bytes{1, 1}}))});
    StreamHandle *h = OpenMovie(file);
    uint8_t buffer[16];
    int32_t marker = 0;
    ASSERT_EQ(g_plugin.Read(h, buffer, 4, &marker), 4u);
    EXPECT_EQ(Samples({buffer, buffer + 4}), (std::vector<int16_t>{1000, 1001}));
    ASSERT_EQ(g_plugin.Read(h, buffer, 4, &marker), 4u);
    EXPECT_EQ(Samples({buffer, buffer + 4}), (std::vector<int16_t>{1003, 1006}));
    ASSERT_EQ(g_plugin.Read(h, buffer, 8, &marker), 8u);
    EXPECT_EQ(Samples({buffer, buffer + 8}), (std::vector<int16_t>{1010, -500, -499, -498}));
    EXPECT_EQ(g_plugin.Read(h, buffer, 8, &marker), 0u);
    g_plugin.Close(h);
}

TEST_F(MveStream, OpenFailuresSetTheirCodeAndLeaveNothingBehind)
{
    const Bytes compressed = SimpleMovie(0x05, {FrameOp(Cat({S16({1, 2}), Bytes{1, 2}}))});
    const Bytes plain = SimpleMovie(0x00, {FrameOp(Bytes{1, 2})});
    uint32_t r = 7;
    uint16_t c = 7, b = 7;

    StreamHandle *h = Stream(Bytes(compressed.begin(), compressed.begin() + 40));
    SetLastError(0);
    EXPECT_FALSE(g_plugin.Open(h, &r, &c, &b));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);
    EXPECT_EQ(r, 7u); /* untouched */
    EXPECT_EQ(c, 7);
    EXPECT_EQ(b, 7);

    h = Stream(compressed);
    standin::FailAllocationAfter(1);
    EXPECT_FALSE(g_plugin.Open(h, &r, &c, &b));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_STATE_ALLOC);
    EXPECT_EQ(h->decoderState, nullptr);
    EXPECT_EQ(r, 22050u); /* already written */
    EXPECT_EQ(c, 2);
    EXPECT_EQ(b, 16);
    EXPECT_EQ(standin::LiveBlocks(), liveAtStart);

    h = Stream(compressed);
    standin::FailAllocationAfter(2);
    EXPECT_FALSE(g_plugin.Open(h, &r, &c, &b));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_BUFFER_ALLOC);
    EXPECT_EQ(h->decoderState, nullptr);
    EXPECT_EQ(standin::LiveBlocks(), liveAtStart);

    /* An uncompressed stream needs no scratch block. */
    h = Stream(plain);
    standin::FailAllocationAfter(2);
    EXPECT_TRUE(g_plugin.Open(h, &r, &c, &b));
    EXPECT_EQ(standin::LiveBlocks(), liveAtStart + 1);
    EXPECT_TRUE(g_plugin.Close(h));

    SetLastError(0);
    EXPECT_FALSE(g_plugin.Open(nullptr, &r, &c, &b));
    EXPECT_EQ(GetLastError(), 0u);
}

TEST_F(MveStream, CloseFreesEverythingAndToleratesEmptyHandles)
{
    const mvemaker::Movie movie = MakeMovie(2, 16, true, 200);
    StreamHandle *h = OpenMovie(movie.file);
    EXPECT_EQ(standin::LiveBlocks(), liveAtStart + 2);
    ReadAll(h, 1000);
    EXPECT_TRUE(g_plugin.Close(h));
    EXPECT_EQ(standin::LiveBlocks(), liveAtStart);
    EXPECT_TRUE(g_plugin.Close(h)); /* nothing left to free */
    EXPECT_TRUE(g_plugin.Close(nullptr));
    int32_t marker = 5;
    uint8_t buffer[8];
    EXPECT_EQ(g_plugin.Read(nullptr, buffer, 8, &marker), 0u);
    EXPECT_EQ(g_plugin.Read(h, buffer, 8, &marker), 0u);
    EXPECT_EQ(marker, 5);
}

TEST_F(MveStream, FramesWithoutAudioArePassedOverWithinOneRead)
{
    /* Uncompressed: frames holding only their header, first and between. */
    const Bytes plain = SimpleMovie(0x00, {FrameOp({}), Cat({FrameOp(Bytes{1, 2, 3}), FrameOp({}), FrameOp({})}),
                                           FrameOp(Bytes{4, 5})});
    StreamHandle *h = OpenMovie(plain);
    uint8_t buffer[16];
    int32_t marker = 0;
    EXPECT_EQ(g_plugin.Read(h, buffer, 16, &marker), 5u);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(g_plugin.Read(h, buffer, 16, &marker), 0u);
    g_plugin.Close(h);

    /* Compressed: a frame of start values only still delivers them. */
    const Bytes dpcm = SimpleMovie(0x06, {FrameOp(S16({7})), FrameOp(Cat({S16({100}), Bytes{1}}))});
    EXPECT_EQ(Samples(Decode(dpcm, 64)), (std::vector<int16_t>{7, 100, 101}));

    /* The maker's movies with empty frames and empty chunks. */
    mvemaker::MovieOptions odd;
    odd.emptyFrameEvery = 2;
    odd.zeroLengthChunkEvery = 3;
    odd.alternateChunkTypes = true;
    for (bool compressed : {false, true}) {
        const mvemaker::Movie movie = MakeMovie(2, 16, compressed, 400, 22050, odd);
        EXPECT_EQ(Decode(movie.file, 4000), movie.expected);
    }
}

TEST_F(MveStream, PayloadsTooShortForTheirHeaderCarryNoAudio)
{
    /* Payloads of 0..5 bytes (uncompressed) and 6..7 bytes (compressed mono
     * needs 2 start bytes, stereo 4): whatever follows in the file is not
     * audio. */
    for (uint16_t n = 0; n < 6; ++n) {
        const Bytes file = SimpleMovie(0x00, {Cat({Op(8, Bytes(n, 0x55)), FrameOp(Bytes{9, 8})})});
        EXPECT_EQ(Decode(file, 64), (Bytes{9, 8})) << n;
    }
    for (uint16_t n = 0; n < 10; ++n) {
        const Bytes file = SimpleMovie(0x07, {Cat({Op(8, Bytes(n, 0x55)), FrameOp(Cat({S16({1, 2}), Bytes{1, 1}}))})});
        EXPECT_EQ(Samples(Decode(file, 64)), (std::vector<int16_t>{1, 2, 2, 3})) << n;
    }
}

TEST_F(MveStream, UnpairedLastByteOfAStereoFrameIsDropped)
{
    /* Three delta bytes: the third has no partner; the next frame's samples
     * keep their sides whatever the read sizes. */
    const Bytes file = SimpleMovie(0x07, {FrameOp(Cat({S16({100, -100}), Bytes{10, 20, 5}})),
                                          FrameOp(Cat({S16({1000, 2000}), Bytes{1, 2}}))});
    const std::vector<int16_t> expected{100, -100, 110, -80, 1000, 2000, 1001, 2002};
    for (uint32_t size : {4u, 6u, 8u, 12u, 64u})
        EXPECT_EQ(Samples(Decode(file, size)), expected) << size;
}

TEST_F(MveStream, CompressedEightBitFlagDecodesAsSixteenBit)
{
    /* The flags say 8 bits, but DPCM always decodes to 16-bit samples with
     * two-byte start values; that is what Open reports. */
    const Bytes mono = SimpleMovie(0x04, {FrameOp(Cat({S16({1000}), Bytes{1, 2, 255}}))});
    EXPECT_EQ(Samples(Decode(mono, 64)), (std::vector<int16_t>{1000, 1001, 1003, 1002}));
    EXPECT_EQ(bits, 16);
    const Bytes stereo = SimpleMovie(0x05, {FrameOp(Cat({S16({100, -100}), Bytes{10, 20}}))});
    EXPECT_EQ(Samples(Decode(stereo, 6)), (std::vector<int16_t>{100, -100, 110, -80}));
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 2);
    /* Start values alone need a whole stereo frame of room. */
    StreamHandle *h = OpenMovie(stereo);
    uint8_t buffer[8];
    int32_t marker = 0;
    EXPECT_EQ(g_plugin.Read(h, buffer, 3, &marker), 0u);
    g_plugin.Close(h);
}

TEST_F(MveStream, HostileHostsGetTheSameSoundOrAClearEnd)
{
    const mvemaker::Movie movies[] = {MakeMovie(2, 16, true, 150), MakeMovie(1, 16, true, 150),
                                      MakeMovie(2, 8, false, 150)};
    for (const mvemaker::Movie &movie : movies) {
        host.maxReadChunk = 1; /* every host read delivers a single byte */
        EXPECT_EQ(Decode(movie.file, 1000), movie.expected);
        host.maxReadChunk = 3;
        EXPECT_EQ(Decode(movie.file, 998), movie.expected);
        host.maxReadChunk = 0;
    }
    /* Reads that fail part-way: what came is a prefix, and no file bytes
     * are passed off as sound afterwards. */
    const mvemaker::Movie movie = MakeMovie(2, 16, true, 200);
    for (uint64_t limit : {200ull, 1000ull, 3001ull}) {
        host.counters.bytesRead = 0;
        host.failReadsAfterBytes = limit;
        StreamHandle *h = OpenMovie(movie.file);
        const Bytes got = ReadAll(h, 512);
        g_plugin.Close(h);
        ASSERT_LE(got.size(), movie.expected.size());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), movie.expected.begin())) << limit;
    }
    host.failReadsAfterBytes = UINT64_MAX;
}

TEST_F(MveStream, TruncatedMoviesDeliverAPrefixOfTheirTrack)
{
    mvemaker::MovieOptions options;
    options.framesPerSecond = 50;
    const mvemaker::Movie movies[] = {MakeMovie(2, 16, true, 100, 22050, options),
                                      MakeMovie(1, 16, false, 100, 8000, options)};
    for (const mvemaker::Movie &movie : movies) {
        for (size_t cut = 0; cut <= movie.file.size(); cut += 7) {
            const Bytes file(movie.file.begin(), movie.file.begin() + cut);
            StreamHandle *h = Stream(file);
            if (!g_plugin.Open(h, &rate, &channels, &bits))
                continue; /* cut before the audio format */
            const Bytes got = ReadAll(h, 333);
            g_plugin.Close(h);
            ASSERT_LE(got.size(), movie.expected.size()) << cut;
            EXPECT_TRUE(std::equal(got.begin(), got.end(), movie.expected.begin())) << cut;
        }
        EXPECT_EQ(standin::LiveBlocks(), liveAtStart);
    }
}

TEST_F(MveStream, StreamsWithoutSoundStayEnded)
{
    const Bytes noAudio = SimpleMovie(0x06, {Op(1, {})});
    StreamHandle *h = OpenMovie(noAudio);
    uint8_t buffer[8];
    int32_t marker = 0;
    EXPECT_EQ(g_plugin.Read(h, buffer, 8, &marker), 0u);
    EXPECT_EQ(g_plugin.Read(h, buffer, 8, &marker), 0u);
    g_plugin.Close(h);

    /* Once the track has run out, junk after it is never read as sound. */
    Bytes file = SimpleMovie(0x00, {FrameOp(Bytes{1, 2})});
    Chunk(file, 5, {});
    file.insert(file.end(), 3, 0x77); /* not even a whole chunk header */
    EXPECT_EQ(Decode(file, 64), (Bytes{1, 2}));
}

TEST_F(MveStream, MutatedMoviesNeverReadOutOfBounds)
{
    const mvemaker::Movie movie = MakeMovie(2, 16, true, 100);
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        Bytes file = movie.file;
        for (int k = 0; k < 4; ++k)
            file[MVE_HEADER_SIZE + random() % (file.size() - MVE_HEADER_SIZE)] = uint8_t(random());
        StreamHandle *h = Stream(file);
        if (g_plugin.Open(h, &rate, &channels, &bits)) {
            ReadAll(h, 1 + random() % 5000);
            EXPECT_TRUE(g_plugin.Close(h));
        }
    }
    EXPECT_EQ(standin::LiveBlocks(), liveAtStart);
}

} // namespace
