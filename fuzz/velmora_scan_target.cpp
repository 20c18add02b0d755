/* velmora's recognisers: ScanFile at any start offset of any file, and
 * Identify on any stream.
 *
 * ScanFile's extent must start at the start offset and be exactly the chunk
 * chain from there: a valid header, then chunk headers followed one after
 * another until the end chunk, the end of the file or a header cut short.
 * The chain is worked out here a second time, straight from the bytes.
 *
 * Control bytes: [0] host behaviour (short reads, failing reads, a failing
 * allocation), [2..3] bytes before reads fail, [4..7] the start offset
 * (below 2^31 it is taken modulo the file size plus 64, so most offsets
 * land in the file; above, it is far past any file here and must find
 * nothing).  The rest is the file. */
#include "fuzz_harness.h"
#include "fuzz_targets.h"

#include "mve_format.h"

namespace {

constexpr size_t kControl = 8;

/* Where the chain starting at start ends, or false when there is no header. */
bool ExpectedEnd(const std::vector<uint8_t> &file, uint32_t start, uint64_t *end)
{
    const uint64_t size = file.size();
    if (start > size || size - start < MVE_HEADER_SIZE || !IsMveHeader(file.data() + start))
        return false;
    uint64_t at = uint64_t(start) + MVE_HEADER_SIZE;
    while (at < size) {
        if (size - at < MVE_CHUNK_HEADER_SIZE) {
            at = size; /* the short header is read as far as it goes */
            break;
        }
        const uint8_t *chunk = file.data() + at;
        at += MVE_CHUNK_HEADER_SIZE + MveU16(chunk);
        if (MveU16(chunk) == 0 && chunk[2] == MVE_CHUNK_END && chunk[3] == 0)
            break;
    }
    *end = at;
    return true;
}

} // namespace

int FuzzVelmoraScan(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::vector<uint8_t> &file = in.Body();
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));
    uint32_t start = in.U32(4);
    if (start < 0x80000000u)
        start %= uint32_t(file.size() + 64);

    const long liveAtStart = LiveBlocks();
    FuzzHost host(file.size());
    host.Apply(behaviour);
    ContainerFile *cf = host.Container(host.Item(file, "raw.bin", "RAW"));
    uint32_t endOffset = 0xDEADBEEF;
    FailAllocation(behaviour.failAllocation);
    ResourceInfo *info = g_plugin.ScanFile(nullptr, cf, 0, start, &endOffset);
    FailAllocation(0);
    if (!info) {
        FUZZ_CHECK(endOffset == 0xDEADBEEF, "a refusing ScanFile wrote the end offset");
        FUZZ_CHECK(LiveBlocks() == liveAtStart, "a refusing ScanFile kept memory");
    } else {
        FUZZ_CHECK(info->startOffset == start, "the extent does not start at the start offset");
        FUZZ_CHECK(endOffset == start + info->size, "the end offset is not where the extent ends");
        FUZZ_CHECK(cf->plugin->Tell(cf) == endOffset, "the container is not left at the end offset");
    }
    if (!behaviour.failReads) {
        uint64_t end = 0;
        const bool movie = ExpectedEnd(file, start, &end);
        if (behaviour.failAllocation == 0 || info)
            FUZZ_CHECK(movie == (info != nullptr), "ScanFile judged the header differently");
        if (info)
            FUZZ_CHECK(uint64_t(start) + info->size == end, "the extent is not the chunk chain");
    }
    if (info)
        ReleaseResourceInfo(info, info->startOffset, info->size);
    FUZZ_CHECK(LiveBlocks() == liveAtStart, "ScanFile kept memory besides its ResourceInfo");
    FUZZ_CHECK(g_plugin.ScanFile(nullptr, nullptr, 0, 0, &endOffset) == nullptr, "ScanFile without a container file");
    return 0;
}

int FuzzVelmoraIdentify(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::vector<uint8_t> &file = in.Body();
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));
    const long liveAtStart = LiveBlocks();
    FuzzHost host(file.size());
    host.Apply(behaviour);
    StreamHandle *h = host.Stream(host.Item(file, "movie.mve", "MVE"));
    FailAllocation(behaviour.failAllocation);
    ResourceInfo *info = g_plugin.Identify(h, 0, "movie.mve");
    FailAllocation(0);
    FUZZ_CHECK(h->decoderState == nullptr, "Identify wrote the decoder-state slot");
    if (info)
        ReleaseResourceInfo(info, 0, uint32_t(file.size()));
    FUZZ_CHECK(LiveBlocks() == liveAtStart, "Identify kept memory besides its ResourceInfo");
    FUZZ_CHECK(g_plugin.Identify(nullptr, 0, "movie.mve") == nullptr, "Identify(NULL)");
    if (behaviour.failReads || (behaviour.failAllocation && !info))
        return 0;

    /* What Identify accepts is exactly what Open can play. */
    StreamHandle *again = host.Stream(host.Item(file, "movie.mve", "MVE"));
    uint32_t rate;
    uint16_t channels, bits;
    const bool opens = g_plugin.Open(again, &rate, &channels, &bits) != FALSE;
    FUZZ_CHECK(opens == (info != nullptr), "Identify and Open disagree about the file");
    FUZZ_CHECK(g_plugin.Close(again), "Close failed");
    return 0;
}
