/* Both real DLLs loaded into one test process as the player loads them,
 * over the in-memory host, with their imports of GlobalAlloc and GlobalFree
 * hooked; velmora with walking switched on through its INI file.
 * Sample movies and sounds come from the makers' libraries. */
#ifndef TESTS_WINDOWS_RELIABILITY_RELIABILITY_FIXTURE_H
#define TESTS_WINDOWS_RELIABILITY_RELIABILITY_FIXTURE_H

#include "allocation_hook.h"
#include "host_window.h"
#include "loaded_plugin.h"
#include "support/memory_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

/* A movie and the sound track the maker says it holds. */
struct SampleMovie {
    std::string label;
    Bytes file;
    Bytes expected;
};
/* A BLB sound resource, its data string, and the PCM it decodes to. */
struct SampleSound {
    std::string dataString;
    Bytes resource;
    Bytes expected;
};

/* Movies of every audio kind (DPCM mono and stereo, PCM 8 and 16 bits) and
 * structure (several opcodes per chunk, chunk types 1 and 3, empty chunks
 * and frames, no end chunk). */
const std::vector<SampleMovie> &SampleMovies();
/* Raw PCM and DW ADPCM sounds with several shifts. */
const std::vector<SampleSound> &SampleSounds();

/* A host buffer with guard zones on both sides. */
class GuardedBuffer {
public:
    static const size_t kGuard = 32;
    static constexpr uint8_t kFill = 0xC3;
    explicit GuardedBuffer(uint32_t count) : count_(count), bytes_(count + 2 * kGuard, kFill) {}
    uint8_t *data() { return bytes_.data() + kGuard; }
    uint32_t count() const { return count_; }
    /* True when nothing before the buffer or after count was touched. */
    bool GuardsIntact() const;
    /* True when not a single byte of the buffer changed. */
    bool Untouched() const;
    void Refill() { bytes_.assign(bytes_.size(), kFill); }

private:
    uint32_t count_;
    Bytes bytes_;
};

class Reliability : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    AudioFilePlugin &V() { return velmora->plugin(); }
    AudioFilePlugin &T() { return tasbrin->plugin(); }

    /* A host stream on an item, as the player opens one before Open. */
    StreamHandle *MovieStream(const Bytes &file);
    StreamHandle *SoundStream(const Bytes &resource, const std::string &dataString);
    StreamHandle *StreamOn(ResourceItem *item);
    void CloseHostStream(StreamHandle *h);

    /* Reads from an open stream in requests of count until Read gives 0,
     * checking each request's guard zones and that Read allocates nothing. */
    Bytes Drain(AudioFilePlugin &p, StreamHandle *h, uint32_t count);
    /* Open, Drain, Close on a fresh stream; EXPECTs success. */
    Bytes Play(AudioFilePlugin &p, StreamHandle *h, uint32_t count);

    /* The plug-in's blocks still held (ResourceInfos handed over excluded). */
    size_t LiveBlocks() const { return hook->Live(); }
    /* Takes a ResourceInfo over as the host does and frees it. */
    void Release(ResourceInfo *info);

    MemoryHost host;
    std::unique_ptr<HostWindow> window;
    std::string iniPath;
    std::unique_ptr<LoadedPlugin> velmora;
    std::unique_ptr<LoadedPlugin> tasbrin;
    std::unique_ptr<AllocationHook> hook; /* both plug-ins' memory */
    std::vector<StreamHandle *> open;
};

#endif
