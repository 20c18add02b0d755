/* Identify and ScanFile through the in-memory host: which streams are
 * movies, and where a movie in a raw file starts and ends. */
#include "mve_entries.h"
#include "mve_setting.h"
#include "mve_test_support.h"
#include "pcm.h"

#include <cstring>

namespace {

using namespace mvetest;

const uint32_t kUntouched = 0xDEADBEEF;

mvemaker::Movie Made(uint32_t ms, mvemaker::MovieOptions options = {})
{
    mvemaker::Movie movie;
    std::string error;
    EXPECT_TRUE(mvemaker::BuildMovie(mvemaker::BuiltInTune(22050, 1, 16, ms), options, movie, error)) << error;
    return movie;
}

/* Every byte zero except start and size. */
void ExpectOnlyExtent(const ResourceInfo *info)
{
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(info);
    for (size_t i = 0; i < RESOURCE_INFO_SIZE; ++i)
        if (i < 0x430 || i >= 0x438)
            ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

class MveScan : public MveTest {
protected:
    void TearDown() override
    {
        for (ResourceInfo *info : infos)
            GlobalFree(info);
        EXPECT_EQ(standin::LiveBlocks(), liveAtStart);
        MveTest::TearDown();
    }

    struct Found {
        bool found = false;
        uint32_t start = 0, size = 0, end = kUntouched;
    };
    /* ScanFile at offset of the raw file item. */
    Found Scan(ResourceItem *item, uint32_t offset)
    {
        Found f;
        ResourceInfo *info = g_plugin.ScanFile(nullptr, host.ContainerOf(item), 0, offset, &f.end);
        if (info) {
            infos.push_back(info);
            ExpectOnlyExtent(info);
            f.found = true;
            f.start = info->startOffset;
            f.size = info->size;
        }
        return f;
    }
    ResourceItem *Raw(const Bytes &data) { return host.AddItem(data, "disc.raw", "RAW"); }

    std::vector<ResourceInfo *> infos;
};

TEST_F(MveScan, FindsTwoMoviesStoredBackToBack)
{
    const Bytes a = Made(700).file, b = Made(300).file;
    ResourceItem *raw = Raw(Cat({Bytes(37, 0xAA), a, b, Bytes(50, 0xBB)}));
    const Found first = Scan(raw, 37);
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.start, 37u);
    EXPECT_EQ(first.size, a.size());
    EXPECT_EQ(first.end, 37u + a.size()) << "the next search starts at the second movie";
    const Found second = Scan(raw, first.end);
    ASSERT_TRUE(second.found);
    EXPECT_EQ(second.start, first.end);
    EXPECT_EQ(second.size, b.size()) << "the walk stops just past the end chunk, before the junk";

    /* However the container splits its reads. */
    host.maxReadChunk = 3;
    const Found again = Scan(raw, 37);
    EXPECT_EQ(again.size, a.size());
}

TEST_F(MveScan, AMovieWithoutEndChunkRunsToTheEndOfTheFile)
{
    mvemaker::MovieOptions noEnd;
    noEnd.endChunk = false;
    const Bytes movie = Made(500, noEnd).file;
    const Found f = Scan(Raw(Cat({Bytes(10, 0), movie})), 10);
    ASSERT_TRUE(f.found) << "still reported as a movie";
    EXPECT_EQ(f.size, movie.size());
    EXPECT_EQ(f.end, 10u + movie.size());
}

TEST_F(MveScan, OnlyTheHeaderIsJudged)
{
    Bytes movie = Made(200).file;
    movie[25] ^= 0x01; /* the header's last word is no longer 0x1133 */
    Found f = Scan(Raw(movie), 0);
    EXPECT_FALSE(f.found);
    EXPECT_EQ(f.end, kUntouched);
    EXPECT_FALSE(Scan(Raw(Bytes(movie.begin(), movie.begin() + 20)), 0).found) << "a header cut short";

    /* An end chunk needs type 0x0005: 0x0105 with no body goes on, and so
     * does a chunk of type 5 with a body. */
    Bytes odd = Header();
    Chunk(odd, 0x0105, {});
    Chunk(odd, 0x0005, Bytes(3, 0));
    Chunk(odd, 3, FrameOp(Bytes(10, 0)));
    const size_t endAt = odd.size() + 4;
    Chunk(odd, 0x0005, {});
    odd.resize(odd.size() + 100, 0x77);
    f = Scan(Raw(odd), 0);
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.size, endAt);
}

TEST_F(MveScan, AMovieWithoutSoundIsFoundButNotIdentified)
{
    Bytes silent = Header();
    Chunk(silent, 2, Op(mvemaker::kOpInitVideoMode, Bytes(6, 0)));
    Chunk(silent, 3, Op(mvemaker::kOpVideoData, Bytes(100, 0)));
    Chunk(silent, 5, {});
    const Found f = Scan(Raw(silent), 0);
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.size, silent.size());
    EXPECT_EQ(g_plugin.Identify(Stream(silent), 0, "silent.mve"), nullptr);
}

TEST_F(MveScan, IdentifyDescribesTheWholeStream)
{
    const Bytes movie = Made(400).file;
    StreamHandle *h = Stream(movie);
    ResourceInfo *info = g_plugin.Identify(h, 0, nullptr);
    ASSERT_NE(info, nullptr);
    infos.push_back(info);
    EXPECT_EQ(info->startOffset, 0u);
    EXPECT_EQ(info->size, movie.size());
    ExpectOnlyExtent(info);
    EXPECT_EQ(h->decoderState, nullptr) << "nothing left in the host's handle";
    EXPECT_EQ(host.openStreams(), 1u) << "the stream stays open: it is the host's";

    EXPECT_EQ(g_plugin.Identify(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(g_plugin.Identify(Stream(Bytes(300, 0)), 0, nullptr), nullptr);
    standin::FailAllocationAfter(1);
    EXPECT_EQ(g_plugin.Identify(Stream(movie), 0, nullptr), nullptr);
}

TEST_F(MveScan, RefusesWithoutAContainerAndStoresNothingWithoutMemory)
{
    uint32_t end = kUntouched;
    EXPECT_EQ(g_plugin.ScanFile(nullptr, nullptr, 0, 0, &end), nullptr);
    ContainerFile orphan{nullptr};
    EXPECT_EQ(g_plugin.ScanFile(nullptr, &orphan, 0, 0, &end), nullptr);
    EXPECT_EQ(end, kUntouched);

    ResourceItem *raw = Raw(Made(200).file);
    standin::FailAllocationAfter(1);
    EXPECT_EQ(g_plugin.ScanFile(nullptr, host.ContainerOf(raw), 0, 0, &end), nullptr);
    EXPECT_EQ(end, kUntouched) << "no end offset for a movie that was not reported";
    standin::FailAllocationAfter(0);

    /* A caller that does not want the end offset. */
    ResourceInfo *info = g_plugin.ScanFile(nullptr, host.ContainerOf(raw), 0, 0, nullptr);
    ASSERT_NE(info, nullptr);
    infos.push_back(info);
}

} // namespace
