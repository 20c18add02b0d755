/* velmora's GetLength walk on any file and any host behaviour: it ends, it
 * closes the stream it opened, it frees what it allocated, and however the
 * host splits its reads the total is the same.
 *
 * Control bytes: [0] host behaviour (HostOpen failing, short reads, failing
 * reads, a failing allocation), [2..3] bytes before reads fail.  The rest
 * is the file. */
#include "fuzz_harness.h"
#include "fuzz_targets.h"

#include "mve_setting.h"

namespace {

constexpr size_t kControl = 4;

struct Walked {
    int32_t ms;
    unsigned long opens;
};

Walked Walk(const std::vector<uint8_t> &file, const HostBehaviour &behaviour)
{
    const long liveAtStart = LiveBlocks();
    FuzzHost host(file.size());
    host.Apply(behaviour);
    ResourceItem *item = host.Item(file, "movie.mve", "MVE");
    FailAllocation(behaviour.failAllocation);
    const int32_t ms = g_plugin.GetLength(item);
    FailAllocation(0);
    FUZZ_CHECK(ms >= -1, "GetLength below -1");
    FUZZ_CHECK(host.memory.openStreams() == 0, "GetLength left its stream open");
    FUZZ_CHECK(host.memory.counters.opens <= 1, "GetLength opened more than one stream");
    FUZZ_CHECK(LiveBlocks() == liveAtStart, "GetLength kept memory");
    return {ms, host.memory.counters.opens};
}

} // namespace

int FuzzVelmoraLength(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::vector<uint8_t> &file = in.Body();
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));

    /* Walking switched off: -1 before any host service is touched. */
    noWalk = 1;
    {
        FuzzHost host(file.size());
        ResourceItem *item = host.Item(file, "movie.mve", "MVE");
        FUZZ_CHECK(g_plugin.GetLength(item) == -1, "GetLength walked with walking switched off");
        FUZZ_CHECK(host.memory.counters.total() == 0, "GetLength used the host with walking switched off");
    }
    noWalk = 0;
    FUZZ_CHECK(g_plugin.GetLength(nullptr) == -1, "GetLength(NULL)");

    const Walked walked = Walk(file, behaviour);
    if (behaviour.failOpen)
        FUZZ_CHECK(walked.ms == -1, "GetLength without a stream gave a length");
    if (behaviour.failReads || behaviour.failOpen || behaviour.failAllocation)
        return 0;
    /* A host that hands out one byte at a time changes nothing. */
    HostBehaviour trickle;
    trickle.maxReadChunk = 1;
    FUZZ_CHECK(Walk(file, trickle).ms == walked.ms, "the walked length depends on how the host splits reads");
    return 0;
}
