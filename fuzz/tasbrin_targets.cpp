/* tasbrin's three stream readers: Open + Read + Close, GetLength and
 * Identify, each with a fuzzed data string (or resource name) and container
 * name, and a host that may misbehave.
 *
 * Control bytes: [0] host behaviour, [1] container name choice, [2..3] bytes
 * before reads fail, [4..15] six request sizes (stream target only).  The
 * body is a NUL-terminated string of at most 255 characters, then the
 * resource's bytes. */
#include "blb_name_model.h"
#include "fuzz_harness.h"
#include "fuzz_targets.h"

namespace {

constexpr size_t kControl = 16;

std::string ContainerName(uint8_t choice)
{
    static const char *const kNames[4] = {"BLB", "blb", "BLBX", ""};
    return kNames[choice & 3];
}

std::vector<uint32_t> RequestSizes(const FuzzInput &in)
{
    std::vector<uint32_t> counts;
    for (size_t i = 0; i < 6; ++i) {
        const uint16_t v = in.U16(4 + 2 * i);
        counts.push_back((v & 0x8000) ? uint32_t(v & 0x7FFF) * 8 : v);
    }
    return counts;
}

std::vector<uint8_t> ReferenceSound(const std::vector<uint8_t> &resource, const std::string &dataString)
{
    FuzzHost host(resource.size());
    StreamHandle *h = host.Stream(host.Item(resource, dataString, "BLB"));
    uint32_t rate;
    uint16_t channels, bits;
    FUZZ_CHECK(g_plugin.Open(h, &rate, &channels, &bits), "an accepted resource did not open");
    bool drained;
    std::vector<uint8_t> sound = DrainStream(host, h, {1u << 17}, 2, resource.size(), &drained);
    FUZZ_CHECK(g_plugin.Close(h), "Close failed");
    return sound;
}

} // namespace

int FuzzTasbrinStream(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::string dataString = in.TakeString(RESOURCE_DATA_CAPACITY - 1);
    const std::string container = ContainerName(in.Byte(1));
    const std::vector<uint8_t> &resource = in.Body();
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));
    const bool accepted = blbmodel::Accepted(container, dataString);
    const long liveAtStart = LiveBlocks();
    std::vector<uint8_t> sound;
    {
        FuzzHost host(resource.size());
        host.Apply(behaviour);
        StreamHandle *h = host.Stream(host.Item(resource, dataString, container));
        uint32_t rate = 1;
        uint16_t channels = 1, bits = 1;
        SetLastError(0);
        FailAllocation(behaviour.failAllocation);
        const bool opened = g_plugin.Open(h, &rate, &channels, &bits) != FALSE;
        FailAllocation(0);
        if (!opened) {
            const DWORD code = GetLastError();
            FUZZ_CHECK(h->decoderState == nullptr, "a failed Open left state in the slot");
            FUZZ_CHECK(LiveBlocks() == liveAtStart, "a failed Open kept memory");
            if (code == PLUGIN_ERR_FORMAT) {
                FUZZ_CHECK(!accepted, "Open refused an accepted resource");
                FUZZ_CHECK(rate == 1 && channels == 1 && bits == 1, "a refused Open wrote its out-parameters");
            } else {
                FUZZ_CHECK(code == PLUGIN_ERR_STATE_ALLOC || code == PLUGIN_ERR_BUFFER_ALLOC,
                           "Open failed without one of its error codes");
                FUZZ_CHECK(behaviour.failAllocation != 0, "Open reported an allocation failure that did not happen");
                FUZZ_CHECK(rate == 22050 && channels == 1 && bits == 16, "out-parameters after an allocation failure");
            }
            return 0;
        }
        FUZZ_CHECK(accepted, "Open accepted what the data-string convention refuses");
        FUZZ_CHECK(rate == 22050 && channels == 1 && bits == 16, "the fixed format");

        bool drained;
        sound = DrainStream(host, h, RequestSizes(in), 2, resource.size(), &drained);
        const size_t perByte = blbmodel::Shift(dataString) != 0xFF ? 2 : 1;
        FUZZ_CHECK(sound.size() <= perByte * resource.size(), "more sound than the resource holds");
        host.Arm();
        FUZZ_CHECK(g_plugin.Close(h), "Close failed");
        FUZZ_CHECK(h->decoderState == nullptr, "Close left the slot set");
        FUZZ_CHECK(LiveBlocks() == liveAtStart, "Close left memory allocated");
        if (!drained || behaviour.failReads)
            return 0;
        FUZZ_CHECK(sound.size() == perByte * resource.size(), "a drained stream lost part of the resource");
    }
    FUZZ_CHECK(ReferenceSound(resource, dataString) == sound, "the sound depends on the request sizes");
    return 0;
}

int FuzzTasbrinLength(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::string dataString = in.TakeString(RESOURCE_DATA_CAPACITY - 1);
    const std::string container = ContainerName(in.Byte(1));
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));
    FuzzHost host(in.Body().size());
    host.Apply(behaviour);
    ResourceItem *item = host.Item(in.Body(), dataString, container);
    const unsigned long opensBefore = host.memory.counters.opens;
    const int32_t ms = g_plugin.GetLength(item);
    FUZZ_CHECK(host.memory.openStreams() == 0, "GetLength left its stream open");
    FUZZ_CHECK(host.memory.counters.opens - opensBefore <= 1, "GetLength opened more than one stream");
    const bool accepted = blbmodel::Accepted(container, dataString) && !behaviour.failOpen;
    const int32_t expected = accepted ? blbmodel::LengthMs(in.Body().size(), blbmodel::Shift(dataString)) : -1;
    FUZZ_CHECK(ms == expected, "GetLength differs from the size rule");
    FUZZ_CHECK(g_plugin.GetLength(nullptr) == -1, "GetLength(NULL)");
    return 0;
}

int FuzzTasbrinIdentify(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size, kControl);
    const std::string name = in.TakeString(RESOURCE_NAME_CAPACITY - 1);
    const std::string container = ContainerName(in.Byte(1));
    const HostBehaviour behaviour = DecodeBehaviour(in.Byte(0), in.U16(2));
    const long liveAtStart = LiveBlocks();
    FuzzHost host(in.Body().size());
    host.Apply(behaviour);
    /* The item's own data string must not be what Identify judges by. */
    StreamHandle *h = host.Stream(host.Item(in.Body(), "decoy.07", container));
    FailAllocation(behaviour.failAllocation);
    ResourceInfo *info = g_plugin.Identify(h, 0, name.c_str());
    FailAllocation(0);
    const bool accepted = blbmodel::Accepted(container, name);
    if (!info) {
        FUZZ_CHECK(!accepted || behaviour.failAllocation != 0, "Identify refused an accepted resource");
        FUZZ_CHECK(LiveBlocks() == liveAtStart, "a refusing Identify kept memory");
        return 0;
    }
    FUZZ_CHECK(accepted, "Identify accepted what the naming convention refuses");
    ReleaseResourceInfo(info, 0, uint32_t(in.Body().size()));
    FUZZ_CHECK(LiveBlocks() == liveAtStart, "Identify kept memory besides its ResourceInfo");
    FUZZ_CHECK(h->decoderState == nullptr, "Identify wrote the decoder-state slot");
    return 0;
}
