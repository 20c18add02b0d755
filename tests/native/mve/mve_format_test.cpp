/* The movie structure: header check, finding the audio format, stepping
 * from one audio-data opcode to the next. */
#include "mve_format.h"
#include "mve_test_support.h"

namespace {

using namespace mvetest;

class MveFormat : public MveTest {
protected:
    bool Parse(const Bytes &file, MveAudioFormat &format)
    {
        return ParseMveAudioFormat(Stream(file), &format) != FALSE;
    }

    /* Opens the movie and lists the payload lengths NextAudioBlock finds,
     * skipping each payload as a reader does. */
    std::vector<int32_t> Blocks(const Bytes &file)
    {
        StreamHandle *h = Stream(file);
        uint32_t rate = 0;
        uint16_t channels = 0, bits = 0;
        EXPECT_TRUE(g_plugin.Open(h, &rate, &channels, &bits));
        std::vector<int32_t> lengths;
        for (int32_t n; (n = NextAudioBlock(h)) >= 0 && lengths.size() < 1000;) {
            lengths.push_back(n);
            Host().Seek(h, n, HOST_SEEK_CUR);
        }
        EXPECT_EQ(NextAudioBlock(h), -1) << "stays at the end";
        g_plugin.Close(h);
        return lengths;
    }
};

TEST_F(MveFormat, AcceptsTheHeaderAndDecodesTheFormatFlags)
{
    MveAudioFormat f{};
    ASSERT_TRUE(Parse(SimpleMovie(0, {}), f));
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.bitsPerSample, 8);
    EXPECT_EQ(f.compressed, 0u);
    EXPECT_EQ(f.sampleRate, 22050u);

    Bytes file = Header();
    Chunk(file, 0, FormatOp(0xFF07, 44100)); /* only the low byte of the flags counts */
    ASSERT_TRUE(Parse(file, f));
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(f.compressed, 4u);
    EXPECT_EQ(f.sampleRate, 44100u);

    file = Header();
    Chunk(file, 0, FormatOp(0x0002, 8000));
    ASSERT_TRUE(Parse(file, f));
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(f.compressed, 0u);
}

TEST_F(MveFormat, EveryHeaderByteIsChecked)
{
    const Bytes good = SimpleMovie(7, {FrameOp(S16({1, 2}))});
    for (size_t i = 0; i < MVE_HEADER_SIZE; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        MveAudioFormat f{};
        EXPECT_FALSE(Parse(bad, f)) << "byte " << i;
        StreamHandle *h = Stream(bad);
        SetLastError(0);
        EXPECT_FALSE(g_plugin.Open(h, nullptr, nullptr, nullptr)) << "byte " << i;
        EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);
        EXPECT_EQ(h->decoderState, nullptr);
    }
    for (size_t size = 0; size < MVE_HEADER_SIZE; ++size) {
        MveAudioFormat f{};
        EXPECT_FALSE(Parse(Bytes(good.begin(), good.begin() + size), f)) << "short header " << size;
    }
    MveAudioFormat f{};
    EXPECT_FALSE(ParseMveAudioFormat(nullptr, &f));
}

TEST_F(MveFormat, OnlyTheFirstAudioInitChunkIsSearched)
{
    MveAudioFormat f{};
    /* Type 0x0100 counts as type 0; other types before it are skipped. */
    Bytes file = Header();
    Chunk(file, 2, Op(2, Bytes(6, 0)));
    Chunk(file, 0x0100, Cat({Op(1, {}), FormatOp(1)}));
    EXPECT_TRUE(Parse(file, f));
    EXPECT_EQ(f.channels, 2);

    /* The first type-0 chunk has no format: a later one does not help. */
    file = Header();
    Chunk(file, 0, Op(4, {}));
    Chunk(file, 0, FormatOp(1));
    EXPECT_FALSE(Parse(file, f));

    /* An empty first type-0 chunk is a chunk without a format. */
    file = Header();
    Chunk(file, 0, {});
    Chunk(file, 0, FormatOp(1));
    EXPECT_FALSE(Parse(file, f));

    /* No type-0 chunk at all; a format opcode in another chunk type. */
    file = Header();
    Chunk(file, 3, FormatOp(1));
    EXPECT_FALSE(Parse(file, f));

    /* The format payload cut short by the end of the file. */
    file = Header();
    Chunk(file, 0, FormatOp(1));
    file.resize(file.size() - 1);
    EXPECT_FALSE(Parse(file, f));

    /* A format opcode past the chunk's declared end is not in the chunk. */
    file = Header();
    Chunk(file, 0, Op(4, {}));
    const Bytes format = FormatOp(1);
    file.insert(file.end(), format.begin(), format.end());
    EXPECT_FALSE(Parse(file, f));
}

TEST_F(MveFormat, AudioComesOnlyFromChunkTypesOneAndThree)
{
    Bytes file = Header();
    Chunk(file, 0, Cat({FormatOp(0), FrameOp(Bytes(1, 0))}));  /* ignored: type 0 */
    Chunk(file, 2, FrameOp(Bytes(2, 0)));                     /* ignored: type 2 */
    Chunk(file, 3, FrameOp(Bytes(3, 0)));
    Chunk(file, 4, FrameOp(Bytes(4, 0)));                     /* ignored: type 4 */
    Chunk(file, 0x0101, Cat({Op(9, Bytes(6, 0)), FrameOp(Bytes(5, 0))}));
    Chunk(file, 1, {});                                       /* zero-length chunk */
    Chunk(file, 0x0203, Cat({FrameOp(Bytes(6, 0)), FrameOp(Bytes(7, 0))}));
    Chunk(file, 5, {});
    EXPECT_EQ(Blocks(file), (std::vector<int32_t>{9, 11, 12, 13}));
}

TEST_F(MveFormat, TruncatedLastChunkEndsTheSearch)
{
    Bytes file = SimpleMovie(0, {FrameOp(Bytes(10, 1)), Cat({FrameOp(Bytes(10, 2)), FrameOp(Bytes(10, 3))})});
    /* Cut inside the last opcode header: two blocks, then the end. */
    Bytes cut(file.begin(), file.end() - 16 - 2);
    EXPECT_EQ(Blocks(cut), (std::vector<int32_t>{16, 16}));
    /* Cut inside a chunk header. */
    Bytes cutHeader = SimpleMovie(0, {FrameOp(Bytes(10, 1))});
    cutHeader.insert(cutHeader.end(), {0x10, 0x00, 0x03});
    EXPECT_EQ(Blocks(cutHeader), (std::vector<int32_t>{16}));
}

TEST_F(MveFormat, MovieWithoutAudioChunksHasNoBlocks)
{
    EXPECT_TRUE(Blocks(SimpleMovie(0, {})).empty());
    Bytes file = SimpleMovie(0, {Op(1, {})});
    EXPECT_TRUE(Blocks(file).empty());
}

} // namespace
