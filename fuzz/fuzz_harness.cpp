#include "fuzz_harness.h"

#include "common/native/win32_standin.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void FuzzContractBroken(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "contract broken: %s (%s:%d)\n", what, file, line);
    std::abort();
}

FuzzInput::FuzzInput(const uint8_t *data, size_t size, size_t controlBytes)
{
    const size_t n = std::min(size, controlBytes);
    control_.assign(data, data + n);
    body_.assign(data + n, data + size);
}

std::string FuzzInput::TakeString(size_t maxLength)
{
    size_t end = 0;
    while (end < body_.size() && end < maxLength && body_[end] != 0)
        ++end;
    std::string text(body_.begin(), body_.begin() + end);
    const size_t skip = end < body_.size() && body_[end] == 0 ? end + 1 : end;
    body_.erase(body_.begin(), body_.begin() + skip);
    return text;
}

HostBehaviour DecodeBehaviour(uint8_t bits, uint16_t failAfter)
{
    static const uint32_t kChunks[8] = {0, 1, 2, 3, 4, 5, 7, 4093};
    HostBehaviour b;
    b.maxReadChunk = kChunks[bits & 7];
    b.failReads = (bits & 8) != 0;
    b.failAfter = failAfter;
    b.failAllocation = (bits >> 4) & 3;
    b.failOpen = (bits & 0x40) != 0;
    return b;
}

/* --- counting services ----------------------------------------------------- */

namespace {

const HostFileServices *g_inner = nullptr;
ContainerReadFn g_innerCfRead = nullptr;
ContainerSeekFn g_innerCfSeek = nullptr;
ContainerTellFn g_innerCfTell = nullptr;
ContainerIsEofFn g_innerCfIsEof = nullptr;
uint64_t g_calls = 0;
uint64_t g_budget = 0;

void Count()
{
    if (++g_calls > g_budget)
        FuzzContractBroken("an entry point keeps calling the host without getting anywhere", __FILE__, __LINE__);
}

StreamHandle *PLUGIN_CALL COpen(ResourceItem *item) { Count(); return g_inner->Open(item); }
void PLUGIN_CALL CClose(StreamHandle *h) { Count(); g_inner->Close(h); }
uint32_t PLUGIN_CALL CGetSize(StreamHandle *h) { Count(); return g_inner->GetSize(h); }
uint32_t PLUGIN_CALL CTell(StreamHandle *h) { Count(); return g_inner->Tell(h); }
uint32_t PLUGIN_CALL CIsEof(StreamHandle *h) { Count(); return g_inner->IsEof(h); }
void PLUGIN_CALL CSeek(StreamHandle *h, int32_t offset, uint32_t origin) { Count(); g_inner->Seek(h, offset, origin); }
void PLUGIN_CALL CRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    Count();
    g_inner->Read(h, buffer, count, got);
}

uint32_t PLUGIN_CALL CfTell(ContainerFile *cf) { Count(); return g_innerCfTell(cf); }
uint32_t PLUGIN_CALL CfIsEof(ContainerFile *cf) { Count(); return g_innerCfIsEof(cf); }
void PLUGIN_CALL CfSeek(ContainerFile *cf, int32_t offset, uint32_t origin) { Count(); g_innerCfSeek(cf, offset, origin); }
void PLUGIN_CALL CfRead(ContainerFile *cf, void *buffer, uint32_t count, uint32_t *got)
{
    Count();
    g_innerCfRead(cf, buffer, count, got);
}

const HostFileServices kCounting = {COpen, CClose, CGetSize, CTell, CIsEof, CSeek, CRead};

size_t g_inputSize = 0;

} // namespace

FuzzHost::FuzzHost(size_t inputSize)
{
    g_inner = memory.services();
    g_inputSize = inputSize;
    g_plugin.hostServices = &kCounting;
    standin::FailAllocationAfter(0);
    Arm();
}

FuzzHost::~FuzzHost()
{
    for (StreamHandle *h : streams)
        memory.CloseStream(h);
    standin::FailAllocationAfter(0);
    g_plugin.hostServices = nullptr;
}

void FuzzHost::Arm()
{
    /* Generous: a byte-at-a-time host costs a few calls per byte, and every
     * record header a handful more. */
    g_calls = 0;
    g_budget = 64 * (static_cast<uint64_t>(g_inputSize) + 256);
}

void FuzzHost::Apply(const HostBehaviour &b)
{
    memory.maxReadChunk = b.maxReadChunk;
    memory.failReadsAfterBytes = b.failReads ? b.failAfter : UINT64_MAX;
    memory.failOpen = b.failOpen;
}

ResourceItem *FuzzHost::Item(const std::vector<uint8_t> &data, const std::string &dataString,
                             const std::string &container)
{
    return memory.AddItem(data, dataString, container);
}

StreamHandle *FuzzHost::Stream(ResourceItem *item)
{
    /* The host's own open for Open, Read and Identify never fails; only
     * the plug-in's HostOpen calls (GetLength) meet failOpen. */
    const bool failOpen = memory.failOpen;
    memory.failOpen = false;
    StreamHandle *h = memory.OpenStream(item);
    memory.failOpen = failOpen;
    streams.push_back(h);
    return h;
}

ContainerFile *FuzzHost::Container(ResourceItem *item)
{
    ContainerFile *cf = memory.ContainerOf(item);
    ContainerPlugin *cp = cf->plugin;
    if (cp->Read != CfRead) {
        g_innerCfRead = cp->Read;
        g_innerCfSeek = cp->Seek;
        g_innerCfTell = cp->Tell;
        g_innerCfIsEof = cp->IsEof;
        cp->Read = CfRead;
        cp->Seek = CfSeek;
        cp->Tell = CfTell;
        cp->IsEof = CfIsEof;
    }
    return cf;
}

/* --- host buffer ------------------------------------------------------------ */

GuardedBuffer::GuardedBuffer(uint32_t capacity) : count_(capacity), bytes_(size_t(capacity) + kReadGuardBytes) {}

uint8_t *GuardedBuffer::Prepare(uint32_t count)
{
    if (size_t(count) + kReadGuardBytes > bytes_.size())
        bytes_.resize(size_t(count) + kReadGuardBytes);
    count_ = count;
    ArmReadGuard(bytes_.data(), count);
    return bytes_.data();
}

void GuardedBuffer::Check(uint32_t returned) const
{
    const ReadVerdict v = CheckRead(bytes_.data(), count_, returned);
    FUZZ_CHECK(v.kind != ReadVerdict::TooMany, "Read returned more than byteCount");
    FUZZ_CHECK(v.kind != ReadVerdict::Overrun, "Read wrote past byteCount");
}

/* --- allocation ledger ------------------------------------------------------ */

long LiveBlocks() { return standin::LiveBlocks(); }
unsigned long Allocations() { return standin::AllocationCount(); }
void FailAllocation(unsigned nth) { standin::FailAllocationAfter(nth); }

void ReleaseResourceInfo(ResourceInfo *info, uint32_t start, uint32_t size)
{
    FUZZ_CHECK(info->startOffset == start, "ResourceInfo start offset");
    FUZZ_CHECK(info->size == size, "ResourceInfo size");
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(info);
    for (size_t i = 0; i < RESOURCE_INFO_SIZE; ++i)
        if (i < offsetof(ResourceInfo, startOffset) || i >= offsetof(ResourceInfo, startOffset) + 8)
            FUZZ_CHECK(bytes[i] == 0, "ResourceInfo byte outside the offset fields is not zero");
    GlobalFree(info);
}

/* --- draining a stream ------------------------------------------------------ */

std::vector<uint8_t> DrainStream(FuzzHost &host, StreamHandle *h, const std::vector<uint32_t> &counts,
                                 uint32_t minFrameBytes, size_t fileSize, bool *drained)
{
    std::vector<uint8_t> out;
    *drained = false;
    size_t idleInRound = 0;
    uint32_t largest = 0;
    for (uint32_t c : counts)
        largest = std::max(largest, c);
    GuardedBuffer buffer(largest);
    for (size_t call = 0; call < fileSize + 2 * counts.size() + 8 && !counts.empty(); ++call) {
        const uint32_t count = counts[call % counts.size()];
        uint8_t *to = buffer.Prepare(count);
        int32_t marker = 0;
        const unsigned long allocationsBefore = Allocations();
        host.Arm();
        const uint32_t got = g_plugin.Read(h, to, count, &marker);
        buffer.Check(got);
        FUZZ_CHECK(Allocations() == allocationsBefore, "Read allocated memory");
        FUZZ_CHECK(marker == 0 || marker == -1, "Read stored something other than -1 through its marker");
        out.insert(out.end(), buffer.data(), buffer.data() + got);
        if (got) {
            idleInRound = 0;
            continue;
        }
        if (count >= minFrameBytes) {
            *drained = true;
            break;
        }
        if (++idleInRound >= counts.size())
            break; /* every count is too small to make progress */
    }
    return out;
}
