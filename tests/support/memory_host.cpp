#include "memory_host.h"

#include "player/extent.h"

#include <algorithm>
#include <cstring>

/* A host handle: the plug-in-visible StreamHandle first, the host's own
 * bookkeeping after it. */
struct MemoryHost::Handle {
    StreamHandle visible;
    MemoryHost *host;
    Item *item;
    uint32_t position;
};

/* The host records of one item, standard-layout so a record pointer the
 * plug-in hands back leads to its owner. */
struct ItemRecords {
    ResourceItem record;
    ContainerPlugin containerPlugin;
    ContainerFile containerFile;
    MemoryHost::Item *owner;
};

struct MemoryHost::Item {
    ItemRecords r;
    std::string containerName;
    std::vector<uint8_t> data;
    uint32_t containerPosition = 0;
    MemoryHost *host = nullptr;
};

namespace {
MemoryHost *g_current = nullptr; /* the services are plain functions */
unsigned long g_openStreams = 0;

MemoryHost::Handle *H(StreamHandle *h) { return reinterpret_cast<MemoryHost::Handle *>(h); }

uint32_t Delivered(MemoryHost &host, uint32_t position, uint32_t size, uint32_t count)
{
    uint32_t n = Deliverable(position, size, count);
    if (host.maxReadChunk)
        n = std::min(n, host.maxReadChunk);
    if (host.counters.bytesRead >= host.failReadsAfterBytes)
        n = 0;
    else if (host.counters.bytesRead + n > host.failReadsAfterBytes)
        n = static_cast<uint32_t>(host.failReadsAfterBytes - host.counters.bytesRead);
    return n;
}


StreamHandle *PLUGIN_CALL SvcOpen(ResourceItem *item);
void PLUGIN_CALL SvcClose(StreamHandle *h)
{
    if (!h)
        return;
    g_current->counters.closes++;
    g_openStreams--;
    delete H(h);
}
uint32_t PLUGIN_CALL SvcGetSize(StreamHandle *h)
{
    g_current->counters.getSizes++;
    return static_cast<uint32_t>(H(h)->item->data.size());
}
uint32_t PLUGIN_CALL SvcTell(StreamHandle *h)
{
    g_current->counters.tells++;
    return H(h)->position;
}
uint32_t PLUGIN_CALL SvcIsEof(StreamHandle *h)
{
    g_current->counters.isEofs++;
    return H(h)->position >= H(h)->item->data.size() ? 1u : 0u;
}
void PLUGIN_CALL SvcSeek(StreamHandle *h, int32_t offset, uint32_t origin)
{
    g_current->counters.seeks++;
    H(h)->position = SeekTarget(H(h)->position, offset, origin);
}
void PLUGIN_CALL SvcRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    MemoryHost &host = *g_current;
    host.counters.reads++;
    MemoryHost::Handle *handle = H(h);
    const uint32_t size = static_cast<uint32_t>(handle->item->data.size());
    const uint32_t n = Delivered(host, handle->position, size, count);
    if (n)
        std::memcpy(buffer, handle->item->data.data() + handle->position, n);
    handle->position += n;
    host.counters.bytesRead += n;
    *got = n;
}

const HostFileServices kServices = {SvcOpen, SvcClose, SvcGetSize, SvcTell, SvcIsEof, SvcSeek, SvcRead};

MemoryHost::Item *ItemOf(ContainerFile *cf)
{
    return reinterpret_cast<ItemRecords *>(reinterpret_cast<char *>(cf) - offsetof(ItemRecords, containerFile))->owner;
}
MemoryHost::Item *ItemOf(ResourceItem *item) { return reinterpret_cast<ItemRecords *>(item)->owner; }
uint32_t PLUGIN_CALL CfTell(ContainerFile *cf) { return ItemOf(cf)->containerPosition; }
uint32_t PLUGIN_CALL CfIsEof(ContainerFile *cf)
{
    return ItemOf(cf)->containerPosition >= ItemOf(cf)->data.size() ? 1u : 0u;
}
void PLUGIN_CALL CfSeek(ContainerFile *cf, int32_t offset, uint32_t origin)
{
    ItemOf(cf)->containerPosition = SeekTarget(ItemOf(cf)->containerPosition, offset, origin);
}
void PLUGIN_CALL CfRead(ContainerFile *cf, void *buffer, uint32_t count, uint32_t *got)
{
    MemoryHost::Item *item = ItemOf(cf);
    MemoryHost &host = *item->host;
    const uint32_t n = Delivered(host, item->containerPosition, static_cast<uint32_t>(item->data.size()), count);
    if (n)
        std::memcpy(buffer, item->data.data() + item->containerPosition, n);
    item->containerPosition += n;
    host.counters.bytesRead += n;
    *got = n;
}

StreamHandle *PLUGIN_CALL SvcOpen(ResourceItem *item)
{
    MemoryHost &host = *g_current;
    host.counters.opens++;
    if (host.failOpen || !item)
        return nullptr;
    MemoryHost::Item *owner = ItemOf(item);
    MemoryHost::Handle *h = new MemoryHost::Handle();
    h->visible.container = &owner->r.containerFile;
    h->visible.item = item;
    h->visible.decoderState = nullptr;
    h->host = &host;
    h->item = owner;
    h->position = 0;
    g_openStreams++;
    return &h->visible;
}
} // namespace

MemoryHost::MemoryHost() { g_current = this; g_openStreams = 0; }
MemoryHost::~MemoryHost()
{
    if (g_current == this)
        g_current = nullptr;
}

const HostFileServices *MemoryHost::services() const { return &kServices; }

ResourceItem *MemoryHost::AddItem(const std::vector<uint8_t> &data, const std::string &dataString,
                                  const std::string &containerName, const std::string &name)
{
    auto item = std::make_unique<Item>();
    ItemRecords &r = item->r;
    std::memset(&r, 0, sizeof r);
    r.owner = item.get();
    r.record.cachedLength = -1;
    std::strncpy(r.record.name, name.c_str(), sizeof r.record.name - 1);
    std::strncpy(r.record.dataString, dataString.c_str(), sizeof r.record.dataString - 1);
    item->containerName = containerName;
    r.containerPlugin.shortName = item->containerName.c_str();
    r.containerPlugin.Tell = CfTell;
    r.containerPlugin.IsEof = CfIsEof;
    r.containerPlugin.Seek = CfSeek;
    r.containerPlugin.Read = CfRead;
    r.containerFile.plugin = &r.containerPlugin;
    item->data = data;
    item->host = this;
    items_.push_back(std::move(item));
    return &items_.back()->r.record;
}

StreamHandle *MemoryHost::OpenStream(ResourceItem *item)
{
    g_current = this;
    return kServices.Open(item);
}

void MemoryHost::CloseStream(StreamHandle *h) { kServices.Close(h); }

ContainerFile *MemoryHost::ContainerOf(ResourceItem *item)
{
    return &ItemOf(item)->r.containerFile;
}

unsigned long MemoryHost::openStreams() const { return g_openStreams; }
