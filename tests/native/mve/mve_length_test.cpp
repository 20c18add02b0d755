/* GetLength: the sound track's play time by walking the movie, through the
 * in-memory host.  Natively no window can be created, so every walk here
 * also shows that the walk runs the same without its progress window. */
#include "mve_entries.h"
#include "mve_length.h"
#include "mve_setting.h"
#include "mve_test_support.h"
#include "mve_walking_window.h"
#include "pcm.h"

namespace {

using namespace mvetest;

/* Flags of the audio format. */
const uint16_t kMono8 = 0x00, kStereo16 = 0x03, kStereo16Dpcm = 0x07, kMono8Dpcm = 0x04;

class MveLength : public MveTest {
protected:
    void SetUp() override
    {
        MveTest::SetUp();
        noWalk = 0;
    }
    void TearDown() override
    {
        EXPECT_EQ(host.openStreams(), 0u) << "GetLength closes the stream it opened";
        EXPECT_EQ(standin::LiveBlocks(), liveAtStart) << "GetLength frees its state";
        MveTest::TearDown();
    }

    int32_t Length(const Bytes &file) { return g_plugin.GetLength(host.AddItem(file, "movie.mve", "MVE")); }

    /* A movie at the given rate whose frames declare these decoded lengths,
     * one frame per chunk, each with a few bytes of (unread) audio. */
    static Bytes Declaring(uint16_t flags, uint16_t rate, const std::vector<uint16_t> &declared)
    {
        Bytes file = Header();
        Chunk(file, 0, FormatOp(flags, rate));
        for (uint16_t d : declared)
            Chunk(file, 3, FrameOp(Bytes(40, 0x55), d));
        return file;
    }
};

TEST_F(MveLength, AddsUpTheDeclaredFramesEachRoundedOnItsOwn)
{
    EXPECT_EQ(Length(Declaring(kMono8, 22050, {2205})), 100);
    EXPECT_EQ(Length(Declaring(kStereo16, 22050, {8820})), 100);
    EXPECT_EQ(Length(Declaring(kStereo16Dpcm, 22050, {8820})), 100);
    EXPECT_EQ(Length(Declaring(kStereo16Dpcm, 22050, std::vector<uint16_t>(50, 8820))), 5000);
    /* 31 bytes are about 1.41 ms: three such frames count 1 ms each, while
     * one frame of all 93 bytes counts 4. */
    EXPECT_EQ(Length(Declaring(kMono8, 22050, {31, 31, 31})), 3);
    EXPECT_EQ(Length(Declaring(kMono8, 22050, {93})), 4);
    /* Halves round up, less than half rounds down. */
    EXPECT_EQ(Length(Declaring(kMono8, 8000, {12})), 2);
    EXPECT_EQ(Length(Declaring(kMono8, 8000, {3})), 0);
    EXPECT_EQ(Length(Declaring(kMono8, 8000, {12, 3, 12})), 4);
}

TEST_F(MveLength, CompressedTracksAreTimedAtTheSixteenBitWidthTheyPlayAt)
{
    /* The flags say 8 bits, but DPCM decodes to 16-bit samples and frames
     * declare their 16-bit size: 4410 bytes are 2205 samples, 100 ms. */
    EXPECT_EQ(Length(Declaring(kMono8Dpcm, 22050, {4410})), 100);
    MveAudioFormat f{22050, 1, 8, MVE_FLAG_COMPRESSED};
    EXPECT_EQ(MveLengthDivisor(f), 22050u * 16);
    f.compressed = 0;
    EXPECT_EQ(MveLengthDivisor(f), 22050u * 8);
}

TEST_F(MveLength, MatchesTheMakersTrackFrameByFrame)
{
    /* 3 s at 15 frames a second: 45 frames of 1470 samples, 66.67 ms each,
     * counted as 67. */
    mvemaker::Movie movie;
    std::string error;
    ASSERT_TRUE(mvemaker::BuildMovie(mvemaker::BuiltInTune(22050, 2, 16, 3000), {}, movie, error)) << error;
    EXPECT_EQ(Length(movie.file), 45 * 67);
}

TEST_F(MveLength, ReadsOnlyHeadersAndSkipsEverythingElse)
{
    /* Each chunk: a video opcode, a frame with 1000 audio bytes, another
     * video opcode. */
    const int kChunks = 20;
    Bytes file = Header();
    Chunk(file, 0, FormatOp(kMono8));
    for (int i = 0; i < kChunks; ++i)
        Chunk(file, 3, Cat({Op(0x11, Bytes(700, 1)), FrameOp(Bytes(1000, 2), 1000), Op(0x07, Bytes(6, 3))}));
    ResourceItem *item = host.AddItem(file);
    host.counters = {};
    EXPECT_EQ(g_plugin.GetLength(item), MulDiv(8000, 1000, 22050 * 8) * kChunks);
    /* Finding the format: header 26, chunk 4, opcode 4, format 10.  The
     * walk: the init chunk's header, then per chunk its header, three
     * opcode headers and one 6-byte frame header. */
    EXPECT_EQ(host.counters.bytesRead, 44u + 4u + kChunks * (4u + 3 * 4u + 6u));
    EXPECT_EQ(host.counters.opens, 1u);
    EXPECT_EQ(host.counters.closes, 1u);

    /* However the host splits its reads. */
    host.maxReadChunk = 1;
    EXPECT_EQ(Length(file), MulDiv(8000, 1000, 22050 * 8) * kChunks);
}

TEST_F(MveLength, WalkingOffAnswersAtOnceWithoutTouchingTheHost)
{
    ResourceItem *item = host.AddItem(Declaring(kMono8, 22050, {2205}));
    noWalk = 1;
    host.counters = {};
    EXPECT_EQ(g_plugin.GetLength(item), -1);
    EXPECT_EQ(host.counters.total(), 0u);
    noWalk = 0;
    EXPECT_EQ(g_plugin.GetLength(nullptr), -1);
    EXPECT_EQ(host.counters.total(), 0u);
}

TEST_F(MveLength, NoLengthWhereThereIsNothingToMeasure)
{
    EXPECT_EQ(Length(Bytes(100, 0)), -1) << "not a movie";
    EXPECT_EQ(Length(Cat({Header(), Bytes{0, 0, 3, 0}})), -1) << "no audio format";
    EXPECT_EQ(Length(Declaring(kMono8, 0, {2205, 2205})), -1) << "a rate of 0 gives frames no duration";
    host.failOpen = true;
    EXPECT_EQ(Length(Declaring(kMono8, 22050, {2205})), -1);
    host.failOpen = false;
    standin::FailAllocationAfter(1);
    EXPECT_EQ(Length(Declaring(kMono8, 22050, {2205})), -1) << "no memory for the walk's state";
    standin::FailAllocationAfter(0);
    /* A movie with a sound format but no audio-data opcode plays for 0 ms. */
    EXPECT_EQ(Length(SimpleMovie(kMono8, {Op(0x11, Bytes(30, 0))})), 0);
}

TEST_F(MveLength, CutShortFramesEndTheWalkWithWhatWasCounted)
{
    const Bytes whole = Declaring(kMono8, 22050, {2205, 2205, 2205});
    /* Cut inside the last frame's header: the two before it count. */
    const size_t lastFrameHeader = whole.size() - 40 - 6;
    EXPECT_EQ(Length(Bytes(whole.begin(), whole.begin() + lastFrameHeader + 3)), 200);
    /* Cut inside the last frame's audio: it still counts, by its header. */
    EXPECT_EQ(Length(Bytes(whole.begin(), whole.end() - 10)), 300);
}

TEST_F(MveLength, AnOpcodeTooShortForAFrameHeaderDeclaresNothing)
{
    /* A 2-byte audio-data opcode is followed by a real frame; the short one
     * must neither borrow the next opcode's bytes as its header nor end the
     * walk. */
    Bytes file = Header();
    Chunk(file, 0, FormatOp(kMono8));
    Chunk(file, 3, Cat({Op(mvemaker::kOpAudioData, Bytes{0xFF, 0xFF}), FrameOp(Bytes(8, 0), 2205)}));
    Chunk(file, 3, FrameOp(Bytes(8, 0), 2205));
    EXPECT_EQ(Length(file), 200);
}

TEST_F(MveLength, TotalsBeyondWhatALengthCanSayGiveNoLength)
{
    /* At 1 Hz mono 8-bit a frame declaring 65535 bytes lasts 65535000 ms:
     * 32 fit in 31 bits, 33 do not. */
    EXPECT_EQ(Length(Declaring(kMono8, 1, std::vector<uint16_t>(32, 65535))), 2097120000);
    EXPECT_EQ(Length(Declaring(kMono8, 1, std::vector<uint16_t>(33, 65535))), -1);
}

TEST(MveLengthArithmetic, DivisorAndProgressStayInRange)
{
    EXPECT_EQ(MveLengthDivisor({65535, 2, 16, 0}), 65535u * 2 * 16);
    EXPECT_EQ(MveLengthDivisor({0, 2, 16, 0}), 0u);
    EXPECT_EQ(MveLengthDivisor({0x7FFFFFFF, 2, 16, 0}), 0u) << "a product past int is refused, not wrapped";

    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(0, 1000), 0);
    EXPECT_EQ(ProgressPercent(500, 1000), 50);
    EXPECT_EQ(ProgressPercent(1000, 1000), 100);
    EXPECT_EQ(ProgressPercent(5000, 1000), 100) << "a position past the end is the end";
    EXPECT_EQ(ProgressPercent(3000000000u, 4000000000u), 75) << "files past 2 GiB";
    EXPECT_EQ(ProgressPercent(0xFFFFFFFFu, 0xFFFFFFFFu), 100);
}

} // namespace
