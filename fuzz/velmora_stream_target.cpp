/* velmora Open + Read + Close on any file, any host behaviour, any sequence
 * of request sizes, and a failing allocation inside Open.
 *
 * Control bytes: [0] host behaviour, [2..3] bytes before reads fail,
 * [4..15] six request sizes (u16; the top bit multiplies by 8, reaching past
 * the 128000-byte cap of one compressed Read).  The rest is the file. */
#include "fuzz_harness.h"
#include "fuzz_targets.h"

namespace {

constexpr size_t kControl = 16;
constexpr uint32_t kSentinelRate = 0xDEADBEEF;
constexpr uint16_t kSentinel16 = 0xBEEF;

std::vector<uint32_t> RequestSizes(const FuzzInput &in)
{
    std::vector<uint32_t> counts;
    for (size_t i = 0; i < 6; ++i) {
        const uint16_t v = in.U16(4 + 2 * i);
        counts.push_back((v & 0x8000) ? uint32_t(v & 0x7FFF) * 8 : v);
    }
    return counts;
}

/* The sound track as a host that never misbehaves delivers it in large
 * requests; empty when the file does not open. */
std::vector<uint8_t> ReferenceTrack(const std::vector<uint8_t> &file)
{
    FuzzHost host(file.size());
    StreamHandle *h = host.Stream(host.Item(file, "movie.mve", "MVE"));
    uint32_t rate;
    uint16_t channels, bits;
    if (!g_plugin.Open(h, &rate, &channels, &bits))
        return {};
    bool drained;
    std::vector<uint8_t> track = DrainStream(host, h, {1u << 17}, 4, file.size(), &drained);
    FUZZ_CHECK(drained, "a large request made no progress");
    FUZZ_CHECK(g_plugin.Close(h), "Close failed");
    return track;
}

} // namespace

int FuzzVelmoraStream(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::vector<uint8_t> &file = in.Body();
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));
    const long liveAtStart = LiveBlocks();
    std::vector<uint8_t> track;
    bool opened = false;
    {
        FuzzHost host(file.size());
        host.Apply(behaviour);
        StreamHandle *h = host.Stream(host.Item(file, "movie.mve", "MVE"));

        uint32_t rate = kSentinelRate;
        uint16_t channels = kSentinel16, bits = kSentinel16;
        SetLastError(0);
        FailAllocation(behaviour.failAllocation);
        opened = g_plugin.Open(h, &rate, &channels, &bits) != FALSE;
        FailAllocation(0);
        if (!opened) {
            const DWORD code = GetLastError();
            FUZZ_CHECK(code == PLUGIN_ERR_FORMAT || code == PLUGIN_ERR_STATE_ALLOC || code == PLUGIN_ERR_BUFFER_ALLOC,
                       "Open failed without one of its error codes");
            FUZZ_CHECK(h->decoderState == nullptr, "a failed Open left state in the slot");
            FUZZ_CHECK(LiveBlocks() == liveAtStart, "a failed Open kept memory");
            if (code == PLUGIN_ERR_FORMAT)
                FUZZ_CHECK(rate == kSentinelRate && channels == kSentinel16 && bits == kSentinel16,
                           "Open refused the format but wrote the out-parameters");
            else
                FUZZ_CHECK(behaviour.failAllocation != 0, "Open reported an allocation failure that did not happen");
            FUZZ_CHECK(g_plugin.Close(h), "Close of a stream that never opened");
            return 0;
        }
        FUZZ_CHECK(channels == 1 || channels == 2, "channel count");
        FUZZ_CHECK(bits == 8 || bits == 16, "bits per sample");
        FUZZ_CHECK(h->decoderState != nullptr, "Open succeeded without state");

        bool drained;
        track = DrainStream(host, h, RequestSizes(in), 4, file.size(), &drained);
        /* One delta byte gives one 16-bit sample, start values give what
         * they take: output is never more than twice the file. */
        FUZZ_CHECK(track.size() <= 2 * file.size(), "more sound than the file can hold");
        if (drained) {
            GuardedBuffer after(4096);
            int32_t marker = 0;
            host.Arm();
            const uint32_t got = g_plugin.Read(h, after.Prepare(4096), 4096, &marker);
            after.Check(got);
            FUZZ_CHECK(got == 0, "Read delivered sound after the track had ended");
        }
        host.Arm();
        FUZZ_CHECK(g_plugin.Close(h), "Close failed");
        FUZZ_CHECK(h->decoderState == nullptr, "Close left the slot set");
        FUZZ_CHECK(g_plugin.Close(h), "a second Close failed");
        FUZZ_CHECK(LiveBlocks() == liveAtStart, "Close left memory allocated");
        if (!drained || behaviour.failReads)
            return 0;
    }
    /* However the host's requests were cut, the sound track is the same. */
    FUZZ_CHECK(ReferenceTrack(file) == track, "the sound track depends on the request sizes");
    return 0;
}
