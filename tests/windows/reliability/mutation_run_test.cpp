/* Thousands of damaged movies and sounds through every entry point that
 * reads a stream, in this one process (every fourth file with a host that
 * hands out at most a few bytes per read): Open, Read in requests of varied
 * sizes and Close; GetLength with walking on; Identify; ScanFile at 0 and at
 * a random offset.  For each file: nothing outside the host's buffer is
 * written, Read never returns more than asked, every block is freed, every
 * stream GetLength opened is closed, and the file is done within a time
 * bound (a watchdog ends the process, naming the file, if one hangs).
 * A file that breaks a rule is written beside the program as
 * mutation-<kind>-<n>.bin for replay. */
#include "mutator.h"
#include "reliability_fixture.h"

#include "dialog_recorder.h"

#include <cstdio>
#include <fstream>

namespace {

const unsigned kMoviesPerSample = 400;  /* 6 samples */
const unsigned kSoundsPerSample = 200;  /* 5 samples */
const DWORD kFileBudgetMs = 5000;

/* --- watchdog ----------------------------------------------------------- */

volatile LONG g_current = -1; /* file number being run, -1 = none */
volatile DWORD g_startedAt = 0;

DWORD WINAPI Watchdog(void *)
{
    for (;;) {
        Sleep(200);
        const LONG file = g_current;
        if (file >= 0 && GetTickCount() - g_startedAt > kFileBudgetMs) {
            std::fprintf(stderr, "mutated file %ld has run for more than %lu ms: hung\n", static_cast<long>(file),
                         static_cast<unsigned long>(kFileBudgetMs));
            std::fflush(stderr);
            ExitProcess(3);
        }
    }
}

class Watch {
public:
    Watch() { thread_ = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr); }
    ~Watch()
    {
        g_current = -1;
        TerminateThread(thread_, 0);
        CloseHandle(thread_);
    }
    void Start(unsigned file)
    {
        g_startedAt = GetTickCount();
        g_current = static_cast<LONG>(file);
    }
    /* Milliseconds the file took. */
    DWORD Stop()
    {
        g_current = -1;
        return GetTickCount() - g_startedAt;
    }

private:
    HANDLE thread_;
};

void Keep(const char *kind, unsigned n, const Bytes &file)
{
    const std::string path = PluginPath(("mutation-" + std::string(kind) + "-" + std::to_string(n) + ".bin").c_str());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(file.data()), std::streamsize(file.size()));
}

class MutationRun : public Reliability {
protected:
    /* How far the damaged files got, for the summary. */
    struct Reached {
        unsigned opened = 0, walked = 0, identified = 0, scanned = 0;
    } reached;

    /* Reads in requests of varied sizes until Read gives 0 for a request of
     * at least 4 bytes; false when a rule was broken. */
    bool ReadAll(AudioFilePlugin &p, StreamHandle *h, Rng &rng, size_t fileSize)
    {
        const unsigned long allocations = hook->Allocations();
        for (size_t call = 0; call < fileSize + 64; ++call) {
            static const uint32_t kCounts[] = {1, 2, 3, 4, 6, 7, 100, 4096, 65535, 200000};
            const uint32_t count = kCounts[rng.Below(sizeof kCounts / sizeof kCounts[0])];
            GuardedBuffer buffer(count);
            int32_t marker = 0;
            const uint32_t got = p.Read(h, buffer.data(), count, &marker);
            if (got > count || !buffer.GuardsIntact() || hook->Allocations() != allocations)
                return false;
            if (!got && count >= 4)
                break;
        }
        return true;
    }

    /* Everything a movie can go through; an empty string when all is well,
     * else what went wrong. */
    std::string RunMovie(const Bytes &file, Rng &rng)
    {
        StreamHandle *h = MovieStream(file);
        uint32_t rate;
        uint16_t channels, bits;
        if (V().Open(h, &rate, &channels, &bits)) {
            ++reached.opened;
            if (!ReadAll(V(), h, rng, file.size()))
                return "Read broke a rule";
            if (!V().Close(h))
                return "Close failed";
        } else if (GetLastError() != PLUGIN_ERR_FORMAT || h->decoderState) {
            return "Open failed without PLUGIN_ERR_FORMAT or left state";
        }
        CloseHostStream(h);
        if (LiveBlocks())
            return "blocks left after Close";

        const int32_t ms = V().GetLength(host.AddItem(file, "movie.mve", "MVE"));
        if (ms < -1)
            return "GetLength below -1";
        reached.walked += ms >= 0;
        if (host.openStreams() != open.size())
            return "GetLength left its stream open";

        if (ResourceInfo *info = V().Identify(MovieStream(file), 0, "movie.mve")) {
            if (info->startOffset != 0 || info->size != file.size())
                return "Identify's extent";
            ++reached.identified;
            Release(info);
        }
        ContainerFile *cf = host.ContainerOf(host.AddItem(file, "raw.bin", "RAW"));
        for (uint32_t start : {0u, rng.Below(uint32_t(file.size()) + 8)}) {
            uint32_t end = 0xDEADBEEF;
            ResourceInfo *info = V().ScanFile(nullptr, cf, 0, start, &end);
            if (!info) {
                if (end != 0xDEADBEEF)
                    return "a refusing ScanFile stored an end offset";
                continue;
            }
            if (info->startOffset != start || end != start + info->size)
                return "ScanFile's extent";
            ++reached.scanned;
            Release(info);
        }
        if (LiveBlocks())
            return "blocks left besides the ResourceInfos";
        return "";
    }

    std::string RunSound(const Bytes &resource, const std::string &dataString, Rng &rng)
    {
        StreamHandle *h = SoundStream(resource, dataString);
        uint32_t rate;
        uint16_t channels, bits;
        if (T().Open(h, &rate, &channels, &bits)) {
            ++reached.opened;
            if (!ReadAll(T(), h, rng, resource.size()))
                return "Read broke a rule";
            if (!T().Close(h))
                return "Close failed";
        } else if (GetLastError() != PLUGIN_ERR_FORMAT || h->decoderState) {
            return "Open failed without PLUGIN_ERR_FORMAT or left state";
        }
        CloseHostStream(h);
        const int32_t ms = T().GetLength(host.AddItem(resource, dataString, "BLB"));
        if (ms < -1)
            return "GetLength below -1";
        reached.walked += ms >= 0;
        if (host.openStreams() != open.size())
            return "GetLength left its stream open";
        StreamHandle *s = SoundStream(resource, "x.07");
        if (ResourceInfo *info = T().Identify(s, 0, dataString.c_str())) {
            if (info->size != resource.size())
                return "Identify's extent";
            ++reached.identified;
            Release(info);
        }
        CloseHostStream(s);
        if (LiveBlocks())
            return "blocks left";
        return "";
    }
};

TEST_F(MutationRun, DamagedMoviesBreakNoRule)
{
    DialogRecorder windows; /* the walking windows: every one must go again */
    Watch watch;
    unsigned n = 0, failed = 0;
    DWORD slowest = 0;
    for (const SampleMovie &sample : SampleMovies()) {
        for (unsigned i = 0; i < kMoviesPerSample; ++i, ++n) {
            Rng rng(1000003u * n + 17);
            std::string what;
            const Bytes file = MutateMovie(sample.file, rng, &what);
            host.maxReadChunk = n % 4 == 3 ? 1 + rng.Below(5) : 0;
            watch.Start(n);
            const std::string fault = RunMovie(file, rng);
            slowest = std::max(slowest, watch.Stop());
            if (!fault.empty()) {
                ADD_FAILURE() << "movie " << n << " (" << sample.label << "; " << what << "): " << fault;
                Keep("movie", n, file);
                if (++failed >= 10)
                    return;
            }
            for (StreamHandle *h : std::vector<StreamHandle *>(open))
                CloseHostStream(h);
        }
    }
    std::printf("%u mutated movies run, slowest %lu ms: %u opened, %u timed by walking (%zu walking windows), "
                "%u identified, %u scans found a movie\n",
                n, static_cast<unsigned long>(slowest), reached.opened, reached.walked, windows.dialogs().size(),
                reached.identified, reached.scanned);
    EXPECT_EQ(windows.alive(), 0u) << "a walking window outlived its walk";
    EXPECT_GT(reached.opened, n / 4) << "the damage should leave many movies playable, to reach deep";
    EXPECT_EQ(n, kMoviesPerSample * SampleMovies().size());
}

TEST_F(MutationRun, DamagedSoundsAndNamesBreakNoRule)
{
    Watch watch;
    unsigned n = 0, failed = 0;
    DWORD slowest = 0;
    for (const SampleSound &sample : SampleSounds()) {
        for (unsigned i = 0; i < kSoundsPerSample; ++i, ++n) {
            Rng rng(7919u * n + 5);
            std::string what;
            const Bytes resource = MutateSound(sample.resource, rng, &what);
            const std::string name = MutateDataString(sample.dataString, rng);
            host.maxReadChunk = n % 4 == 3 ? 1 + rng.Below(5) : 0;
            watch.Start(n);
            const std::string fault = RunSound(resource, name, rng);
            slowest = std::max(slowest, watch.Stop());
            if (!fault.empty()) {
                ADD_FAILURE() << "sound " << n << " (\"" << name << "\"; " << what << "): " << fault;
                Keep("sound", n, resource);
                if (++failed >= 10)
                    return;
            }
        }
    }
    std::printf("%u mutated sounds run, slowest %lu ms: %u opened, %u with a length, %u identified\n", n,
                static_cast<unsigned long>(slowest), reached.opened, reached.walked, reached.identified);
}

} // namespace
