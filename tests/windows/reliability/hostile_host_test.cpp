/* Host behaviours the interface allows, or that a careless host shows,
 * through the real DLLs: reads cut to one byte, a read error in the middle
 * of the file, HostOpen failing, two streams read in turn, Close without
 * Read, Read after the end. */
#include "reliability_fixture.h"

#include "status_window.h"

#include <algorithm>

namespace {

bool IsPrefix(const Bytes &part, const Bytes &whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}


TEST_F(Reliability, OneByteReadsChangeNothing)
{
    for (const SampleMovie &m : SampleMovies()) {
        SCOPED_TRACE(m.label);
        host.maxReadChunk = 0;
        const int32_t walked = V().GetLength(host.AddItem(m.file, "movie.mve", "MVE"));
        ResourceInfo *whole = V().Identify(MovieStream(m.file), 0, "movie.mve");
        ASSERT_NE(whole, nullptr);
        Release(whole);
        ContainerFile *cf = host.ContainerOf(host.AddItem(m.file, "raw.bin", "RAW"));
        uint32_t end = 0;
        ResourceInfo *scanned = V().ScanFile(nullptr, cf, 0, 0, &end);
        ASSERT_NE(scanned, nullptr);
        const uint32_t extent = scanned->size;
        Release(scanned);

        host.maxReadChunk = 1;
        for (uint32_t count : {4u, 4096u, 200000u})
            EXPECT_EQ(Play(V(), MovieStream(m.file), count), m.expected) << "reads of " << count;
        EXPECT_EQ(V().GetLength(host.AddItem(m.file, "movie.mve", "MVE")), walked);
        EXPECT_GT(walked, 0);
        whole = V().Identify(MovieStream(m.file), 0, "movie.mve");
        ASSERT_NE(whole, nullptr);
        EXPECT_EQ(whole->size, m.file.size());
        Release(whole);
        cf = host.ContainerOf(host.AddItem(m.file, "raw.bin", "RAW"));
        scanned = V().ScanFile(nullptr, cf, 0, 0, &end);
        ASSERT_NE(scanned, nullptr);
        EXPECT_EQ(scanned->size, extent);
        Release(scanned);
    }
    host.maxReadChunk = 1;
    for (const SampleSound &s : SampleSounds()) {
        SCOPED_TRACE(s.dataString);
        for (uint32_t count : {2u, 3u, 5000u, 300000u})
            EXPECT_EQ(Play(T(), SoundStream(s.resource, s.dataString), count), s.expected) << "reads of " << count;
    }
    EXPECT_EQ(LiveBlocks(), 0u);
}

TEST_F(Reliability, AReadErrorMidFileEndsTheTrackWithWhatCameBefore)
{
    for (const SampleMovie &m : SampleMovies()) {
        SCOPED_TRACE(m.label);
        const uint64_t size = m.file.size();
        for (uint64_t cut : {uint64_t(0), uint64_t(20), uint64_t(30), uint64_t(100), size / 3, size / 2, size - 1}) {
            host.counters = MemoryHost::Counters();
            host.failReadsAfterBytes = cut;
            StreamHandle *h = MovieStream(m.file);
            uint32_t rate = 0;
            uint16_t channels = 0, bits = 0;
            if (!V().Open(h, &rate, &channels, &bits)) {
                EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);
                EXPECT_EQ(h->decoderState, nullptr);
                continue;
            }
            const Bytes got = Drain(V(), h, 1000);
            EXPECT_TRUE(IsPrefix(got, m.expected)) << "cut after " << cut << " bytes";
            GuardedBuffer after(4096);
            int32_t marker = 0;
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(V().Read(h, after.data(), 4096, &marker), 0u);
            EXPECT_TRUE(after.Untouched());
            EXPECT_TRUE(V().Close(h));

            host.counters = MemoryHost::Counters();
            const int32_t ms = V().GetLength(host.AddItem(m.file, "movie.mve", "MVE"));
            EXPECT_GE(ms, -1);
            EXPECT_EQ(host.openStreams(), open.size());
        }
    }
    for (const SampleSound &s : SampleSounds()) {
        SCOPED_TRACE(s.dataString);
        for (uint64_t cut : {uint64_t(0), uint64_t(1), uint64_t(s.resource.size() / 2)}) {
            host.counters = MemoryHost::Counters();
            host.failReadsAfterBytes = cut;
            const Bytes got = Play(T(), SoundStream(s.resource, s.dataString), 999);
            EXPECT_TRUE(IsPrefix(got, s.expected)) << "cut after " << cut << " bytes";
            EXPECT_LT(got.size(), s.expected.size());
        }
    }
    host.failReadsAfterBytes = UINT64_MAX;
    EXPECT_EQ(LiveBlocks(), 0u);
}

TEST_F(Reliability, HostOpenFailingGivesNoLength)
{
    host.failOpen = true;
    EXPECT_EQ(V().GetLength(host.AddItem(SampleMovies()[0].file, "movie.mve", "MVE")), -1);
    EXPECT_EQ(T().GetLength(host.AddItem(SampleSounds()[0].resource, "music.08", "BLB")), -1);
    EXPECT_EQ(host.counters.opens, 2u);
    EXPECT_EQ(host.counters.total(), 2u) << "nothing but the failed opens";
    EXPECT_EQ(LiveBlocks(), 0u);
}

TEST_F(Reliability, InterleavedStreamsEachGiveWhatTheyGiveAlone)
{
    const std::vector<SampleMovie> &movies = SampleMovies();
    const std::vector<SampleSound> &sounds = SampleSounds();
    struct Pair {
        AudioFilePlugin *pa;
        const Bytes *fa, *ea;
        std::string da;
        AudioFilePlugin *pb;
        const Bytes *fb, *eb;
        std::string db;
    };
    std::vector<Pair> pairs = {
        {&V(), &movies[0].file, &movies[0].expected, "", &V(), &movies[0].file, &movies[0].expected, ""},
        {&V(), &movies[1].file, &movies[1].expected, "", &V(), &movies[3].file, &movies[3].expected, ""},
        {&V(), &movies[4].file, &movies[4].expected, "", &T(), &sounds[3].resource, &sounds[3].expected,
         sounds[3].dataString},
        {&T(), &sounds[2].resource, &sounds[2].expected, sounds[2].dataString, &T(), &sounds[4].resource,
         &sounds[4].expected, sounds[4].dataString},
    };
    for (size_t i = 0; i < pairs.size(); ++i) {
        const Pair &p = pairs[i];
        SCOPED_TRACE(i);
        StreamHandle *a = p.pa == &V() ? MovieStream(*p.fa) : SoundStream(*p.fa, p.da);
        StreamHandle *b = p.pb == &V() ? MovieStream(*p.fb) : SoundStream(*p.fb, p.db);
        uint32_t rate;
        uint16_t channels, bits;
        ASSERT_TRUE(p.pa->Open(a, &rate, &channels, &bits));
        ASSERT_TRUE(p.pb->Open(b, &rate, &channels, &bits));
        Bytes outA, outB;
        bool moreA = true, moreB = true;
        for (uint32_t turn = 0; moreA || moreB; ++turn) {
            const uint32_t count = 4 + (turn * 1237) % 3000;
            GuardedBuffer buffer(count);
            int32_t marker;
            if (moreA) {
                const uint32_t got = p.pa->Read(a, buffer.data(), count, &marker);
                moreA = got != 0;
                outA.insert(outA.end(), buffer.data(), buffer.data() + got);
            }
            buffer.Refill();
            if (moreB) {
                const uint32_t got = p.pb->Read(b, buffer.data(), count, &marker);
                moreB = got != 0;
                outB.insert(outB.end(), buffer.data(), buffer.data() + got);
            }
            EXPECT_TRUE(buffer.GuardsIntact());
        }
        EXPECT_TRUE(p.pa->Close(a));
        EXPECT_TRUE(p.pb->Close(b));
        EXPECT_EQ(outA, *p.ea);
        EXPECT_EQ(outB, *p.eb);
    }
    EXPECT_EQ(LiveBlocks(), 0u);
}

TEST_F(Reliability, CloseWithoutReadFreesEverything)
{
    uint32_t rate;
    uint16_t channels, bits;
    for (const SampleMovie &m : SampleMovies()) {
        StreamHandle *h = MovieStream(m.file);
        ASSERT_TRUE(V().Open(h, &rate, &channels, &bits)) << m.label;
        EXPECT_GT(LiveBlocks(), 0u);
        EXPECT_TRUE(V().Close(h));
        EXPECT_EQ(h->decoderState, nullptr);
        EXPECT_EQ(LiveBlocks(), 0u) << m.label;
        EXPECT_TRUE(V().Close(h)) << "a second Close finds nothing to free";
    }
    for (const SampleSound &s : SampleSounds()) {
        StreamHandle *h = SoundStream(s.resource, s.dataString);
        ASSERT_TRUE(T().Open(h, &rate, &channels, &bits)) << s.dataString;
        EXPECT_TRUE(T().Close(h));
        EXPECT_EQ(LiveBlocks(), 0u) << s.dataString;
    }
}

TEST_F(Reliability, ReadAfterTheEndStoresNothing)
{
    uint32_t rate;
    uint16_t channels, bits;
    for (const SampleMovie &m : SampleMovies()) {
        StreamHandle *h = MovieStream(m.file);
        ASSERT_TRUE(V().Open(h, &rate, &channels, &bits));
        EXPECT_EQ(Drain(V(), h, 4096), m.expected) << m.label;
        for (uint32_t count : {1u, 4u, 4096u, 200000u}) {
            GuardedBuffer buffer(count);
            int32_t marker = 0;
            EXPECT_EQ(V().Read(h, buffer.data(), count, &marker), 0u) << m.label;
            EXPECT_TRUE(buffer.Untouched()) << m.label;
        }
        EXPECT_TRUE(V().Close(h));
    }
    for (const SampleSound &s : SampleSounds()) {
        StreamHandle *h = SoundStream(s.resource, s.dataString);
        ASSERT_TRUE(T().Open(h, &rate, &channels, &bits));
        EXPECT_EQ(Drain(T(), h, 4096), s.expected) << s.dataString;
        GuardedBuffer buffer(4096);
        int32_t marker = 0;
        EXPECT_EQ(T().Read(h, buffer.data(), 4096, &marker), 0u);
        EXPECT_TRUE(buffer.Untouched());
        EXPECT_TRUE(T().Close(h));
    }
    EXPECT_EQ(LiveBlocks(), 0u);
}

} // namespace
