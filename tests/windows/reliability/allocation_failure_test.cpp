/* Every allocation the real DLLs make, failed in turn: for each scenario the
 * allocations it makes are counted on a clean run, then the run is repeated
 * with the 1st, 2nd, ... of them failing, and the result is checked against
 * what the interface promises for that failure.  The same ledger shows that
 * whatever a scenario allocates it frees, apart from a ResourceInfo handed
 * to the host, and that Read allocates nothing. */
#include "reliability_fixture.h"

#include "status_window.h"

#include <functional>

namespace {

/* Runs scenario(n) for n = 0 (nothing fails) and then for every allocation
 * the clean run made; returns how many failure runs there were. */
unsigned EveryAllocation(AllocationHook &hook, const std::function<void(unsigned)> &scenario)
{
    const unsigned long before = hook.Allocations();
    hook.FailNth(0);
    scenario(0);
    const unsigned made = static_cast<unsigned>(hook.Allocations() - before);
    for (unsigned n = 1; n <= made; ++n) {
        hook.FailNth(n);
        scenario(n);
        EXPECT_TRUE(hook.Failed()) << "allocation " << n << " of " << made << " was not reached again";
        hook.FailNth(0);
    }
    return made;
}

TEST_F(Reliability, OpenFailsCleanlyAtEveryAllocation)
{
    struct Case {
        AudioFilePlugin *p;
        const Bytes *file;
        std::string dataString;
        unsigned allocations; /* state, and the scratch block when compressed */
        uint32_t rate;
        uint16_t channels, bits;
    };
    const SampleMovie &dpcm = SampleMovies()[1];    /* stereo DPCM */
    const SampleMovie &pcm = SampleMovies()[2];     /* 8-bit mono PCM */
    const SampleSound &raw = SampleSounds()[0];
    const SampleSound &adpcm = SampleSounds()[2];
    const Case cases[] = {{&V(), &dpcm.file, "", 2, 8000, 2, 16},
                          {&V(), &pcm.file, "", 1, 8000, 1, 8},
                          {&T(), &raw.resource, raw.dataString, 1, 22050, 1, 16},
                          {&T(), &adpcm.resource, adpcm.dataString, 2, 22050, 1, 16}};
    unsigned runs = 0;
    for (const Case &c : cases) {
        const unsigned made = EveryAllocation(*hook, [&](unsigned n) {
            SCOPED_TRACE(testing::Message() << c.dataString << " failing allocation " << n);
            StreamHandle *h = c.p == &V() ? MovieStream(*c.file) : SoundStream(*c.file, c.dataString);
            uint32_t rate = 1;
            uint16_t channels = 1, bits = 1;
            SetLastError(0);
            const BOOL opened = c.p->Open(h, &rate, &channels, &bits);
            /* Out-parameters are written before the first allocation. */
            EXPECT_EQ(rate, c.rate);
            EXPECT_EQ(channels, c.channels);
            EXPECT_EQ(bits, c.bits);
            if (n == 0) {
                ASSERT_TRUE(opened);
                const unsigned long allocated = hook->Allocations();
                EXPECT_FALSE(Drain(*c.p, h, 3000).empty());
                EXPECT_EQ(hook->Allocations(), allocated) << "Read allocated";
                EXPECT_TRUE(c.p->Close(h));
            } else {
                EXPECT_FALSE(opened);
                EXPECT_EQ(GetLastError(), n == 1 ? PLUGIN_ERR_STATE_ALLOC : PLUGIN_ERR_BUFFER_ALLOC);
                EXPECT_EQ(h->decoderState, nullptr) << "the slot stays empty";
                EXPECT_TRUE(c.p->Close(h)) << "Close of a stream whose Open failed";
            }
            EXPECT_EQ(LiveBlocks(), 0u);
        });
        EXPECT_EQ(made, c.allocations);
        runs += made;
    }
    EXPECT_EQ(runs, 6u);
}

TEST_F(Reliability, ARefusedOpenTouchesNothingAndAllocatesNothing)
{
    Bytes notMovie = SampleMovies()[0].file;
    notMovie[24] ^= 1;
    const unsigned long before = hook->Allocations();
    struct Case {
        AudioFilePlugin *p;
        StreamHandle *h;
    } cases[] = {{&V(), MovieStream(notMovie)}, {&T(), SoundStream(SampleSounds()[0].resource, "music.09")}};
    for (const Case &c : cases) {
        uint32_t rate = 1;
        uint16_t channels = 1, bits = 1;
        SetLastError(0);
        EXPECT_FALSE(c.p->Open(c.h, &rate, &channels, &bits));
        EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);
        EXPECT_EQ(rate, 1u);
        EXPECT_EQ(channels, 1u);
        EXPECT_EQ(bits, 1u);
        EXPECT_EQ(c.h->decoderState, nullptr);
    }
    EXPECT_EQ(hook->Allocations(), before);
}

TEST_F(Reliability, IdentifyAndScanFileGiveNullAtEveryAllocation)
{
    StatusWindow status;
    for (const SampleMovie &m : SampleMovies()) {
        EveryAllocation(*hook, [&](unsigned n) {
            ResourceInfo *info = V().Identify(MovieStream(m.file), 0, "movie.mve");
            EXPECT_EQ(info == nullptr, n != 0) << m.label;
            if (info)
                Release(info);
            EXPECT_EQ(LiveBlocks(), 0u);
        });
        const unsigned made = EveryAllocation(*hook, [&](unsigned n) {
            ContainerFile *cf = host.ContainerOf(host.AddItem(m.file, "raw.bin", "RAW"));
            uint32_t end = 0xDEADBEEF;
            status.Clear();
            ResourceInfo *info = V().ScanFile(status.hwnd(), cf, 0, 0, &end);
            if (n == 0) {
                ASSERT_NE(info, nullptr);
                EXPECT_EQ(end, info->size);
                Release(info);
                EXPECT_EQ(status.Texts().back(), "MVE file correct.");
            } else {
                EXPECT_EQ(info, nullptr) << m.label;
                EXPECT_EQ(end, 0xDEADBEEFu) << "nothing is stored through endOffset";
                EXPECT_EQ(status.Texts().back(), "Walking MVE blocks chain...") << "no message after the failure";
            }
            EXPECT_EQ(LiveBlocks(), 0u);
        });
        EXPECT_EQ(made, 1u);
    }
    for (const SampleSound &s : SampleSounds()) {
        const unsigned made = EveryAllocation(*hook, [&](unsigned n) {
            ResourceInfo *info = T().Identify(SoundStream(s.resource, "anything"), 0, s.dataString.c_str());
            EXPECT_EQ(info == nullptr, n != 0) << s.dataString;
            if (info)
                Release(info);
            EXPECT_EQ(LiveBlocks(), 0u);
        });
        EXPECT_EQ(made, 1u);
    }
}

TEST_F(Reliability, GetLengthGivesMinusOneAndClosesItsStreamAtEveryAllocation)
{
    for (const SampleMovie &m : SampleMovies()) {
        int32_t clean = 0;
        const unsigned made = EveryAllocation(*hook, [&](unsigned n) {
            const int32_t ms = V().GetLength(host.AddItem(m.file, "movie.mve", "MVE"));
            if (n == 0)
                clean = ms;
            else
                EXPECT_EQ(ms, -1) << m.label;
            EXPECT_EQ(host.openStreams(), 0u) << "GetLength's own stream is closed";
            EXPECT_EQ(LiveBlocks(), 0u);
        });
        EXPECT_GT(clean, 0) << m.label;
        EXPECT_EQ(made, 1u) << "the walk's state";
    }
    /* tasbrin's length needs no memory at all. */
    const unsigned long before = hook->Allocations();
    for (const SampleSound &s : SampleSounds())
        EXPECT_GT(T().GetLength(host.AddItem(s.resource, s.dataString, "BLB")), 0);
    EXPECT_EQ(hook->Allocations(), before);
    EXPECT_EQ(host.openStreams(), 0u);
}

} // namespace
