/* What every fuzz target shares: the control bytes at the front of an input,
 * the in-memory host plugged into the plug-in's descriptor behind services
 * that stop a run which never ends, a host buffer with a guard zone after
 * it, and the allocation ledger of the Win32 stand-in.
 *
 * A broken contract aborts with a message naming it: libFuzzer keeps the
 * input, and the corpus replay in the ordinary test run fails on it. */
#ifndef FUZZ_FUZZ_HARNESS_H
#define FUZZ_FUZZ_HARNESS_H

#include "common/plugin_module.h"
#include "support/memory_host.h"

#include "player/read_guard.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

[[noreturn]] void FuzzContractBroken(const char *what, const char *file, int line);
#define FUZZ_CHECK(cond, what) ((cond) ? (void)0 : FuzzContractBroken(what, __FILE__, __LINE__))

/* The input split into a fixed block of control bytes and the file body.
 * Control bytes past the end of a short input read as zero, so every input
 * is valid. */
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size, size_t controlBytes);
    uint8_t Byte(size_t at) const { return at < control_.size() ? control_[at] : 0; }
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8); }
    uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    /* A NUL-terminated string of at most maxLength characters taken off the
     * front of the body (the body then starts after its terminator). */
    std::string TakeString(size_t maxLength);
    const std::vector<uint8_t> &Body() const { return body_; }

private:
    std::vector<uint8_t> control_;
    std::vector<uint8_t> body_;
};

/* How the host misbehaves, from one control byte:
 *   bits 0-2  largest read the host delivers (0: no limit; 1, 2, 3, 4, 5, 7, 4093)
 *   bit 3     reads deliver nothing after failAfter bytes
 *   bits 4-5  the Nth allocation of the first entry-point call fails (0: none)
 *   bit 6     HostOpen fails */
struct HostBehaviour {
    uint32_t maxReadChunk = 0;
    bool failReads = false;
    uint32_t failAfter = 0;
    unsigned failAllocation = 0;
    bool failOpen = false;
    bool Hostile() const { return maxReadChunk != 0 || failReads; }
};
HostBehaviour DecodeBehaviour(uint8_t bits, uint16_t failAfter);

/* The in-memory host plugged into g_plugin for one run.  Every service call
 * the plug-in makes is counted; past the budget the run is declared endless
 * (a loop that makes no progress through the file).  ScanFile's container
 * services are counted the same way. */
class FuzzHost {
public:
    explicit FuzzHost(size_t inputSize);
    ~FuzzHost();
    FuzzHost(const FuzzHost &) = delete;
    FuzzHost &operator=(const FuzzHost &) = delete;

    void Apply(const HostBehaviour &b);
    /* Gives the next entry-point call its own service-call budget. */
    void Arm();
    /* An item and a stream on it, as the host has them before Open. */
    ResourceItem *Item(const std::vector<uint8_t> &data, const std::string &dataString = "",
                       const std::string &container = "BLB");
    StreamHandle *Stream(ResourceItem *item);
    /* The item's container file with counting services. */
    ContainerFile *Container(ResourceItem *item);

    MemoryHost memory;
    std::vector<StreamHandle *> streams;
};

/* A host buffer of count bytes followed by the player's Read guard; Check
 * verifies that a Read returned no more than count and left the guard
 * alone. */
class GuardedBuffer {
public:
    explicit GuardedBuffer(uint32_t capacity);
    /* Sets the guard zone up behind the next request of count bytes. */
    uint8_t *Prepare(uint32_t count);
    uint8_t *data() { return bytes_.data(); }
    uint32_t count() const { return count_; }
    void Check(uint32_t returned) const;

private:
    uint32_t count_;
    std::vector<uint8_t> bytes_;
};

/* Blocks the plug-in holds from GlobalAlloc (the stand-in's ledger). */
long LiveBlocks();
unsigned long Allocations();
void FailAllocation(unsigned nth);
/* Hands a ResourceInfo back the way the host does, after checking that
 * every byte but the two offset fields is zero. */
void ReleaseResourceInfo(ResourceInfo *info, uint32_t start, uint32_t size);

/* Drains an open stream: Read is called with the given byte counts in turn
 * until a full round of them delivers nothing (or more calls than the file
 * has bytes, since every call that delivers consumes some of it), each call
 * checked against the guard zone and the allocation ledger.  Returns the concatenated output; *drained tells whether the
 * stream gave 0 for a request of at least minFrameBytes (it is then at its
 * end, not merely asked for too little). */
std::vector<uint8_t> DrainStream(FuzzHost &host, StreamHandle *h, const std::vector<uint32_t> &counts,
                                 uint32_t minFrameBytes, size_t fileSize, bool *drained);

#endif
