#include "web_services.h"
#include "page_events.h"

#include "player/extent.h"
#include "player/item_record.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr uint32_t kWindow = 4u << 20;

/* The part of the page's file that is in the module's memory: one window
 * for every stream and container, since they read one after another.  The
 * worker fills it ahead of a decode without blocking (WebWindowFilled);
 * a read outside it refills it on the spot through PageRead, and reads of
 * half the window or more go straight into the plug-in's buffer. */
struct FileWindow {
    std::unique_ptr<uint8_t[]> bytes; /* kWindow, allocated untouched */
    int file = -1;
    uint64_t start = 0;
    uint32_t length = 0;

    uint8_t *Data()
    {
        if (!bytes)
            bytes.reset(new uint8_t[kWindow]);
        return bytes.get();
    }
    bool Covers(int f, uint64_t offset, uint64_t n) const
    {
        return f == file && offset >= start && offset + n <= start + length;
    }
};

FileWindow g_window;

uint32_t ReadThrough(int file, uint64_t offset, uint8_t *out, uint32_t n)
{
    FileWindow &w = g_window;
    if (!w.Covers(file, offset, n)) {
        if (n >= kWindow / 2)
            return PageRead(file, static_cast<double>(offset), out, n);
        uint8_t *data = w.Data();
        w.file = file;
        w.start = offset;
        w.length = PageRead(file, static_cast<double>(offset), data, kWindow);
    }
    const uint64_t end = w.start + w.length;
    const uint32_t have = offset >= w.start && offset < end ? static_cast<uint32_t>(end - offset) : 0;
    const uint32_t m = std::min(n, have);
    if (m)
        std::memcpy(out, w.bytes.get() + (offset - w.start), m);
    return m;
}

/* An extent of a file with a position in it, as the services see it. */
struct FileExtent {
    int file = -1;
    uint64_t base = 0;
    uint32_t size = 0;
    uint32_t position = 0;

    void Seek(int32_t offset, uint32_t origin) { position = SeekTarget(position, offset, origin); }
    uint32_t Read(void *buffer, uint32_t count)
    {
        uint32_t n = Deliverable(position, size, count);
        if (n && buffer)
            n = ReadThrough(file, base + position, static_cast<uint8_t *>(buffer), n);
        else
            n = 0;
        position += n;
        return n;
    }
};

struct Container {
    ContainerFile visible;
    ContainerPlugin plugin;
    std::string shortName;
    FileExtent extent;
    uint64_t fileSize = UINT64_MAX; /* known for a file opened whole */
};

struct Item {
    ResourceItem record;
    std::unique_ptr<Container> container;
    FileExtent extent; /* file, base and size; the position is each stream's */
};

struct Stream {
    StreamHandle visible;
    FileExtent extent;
};

std::map<ResourceItem *, std::unique_ptr<Item>> g_items;
std::map<StreamHandle *, std::unique_ptr<Stream>> g_streams;
std::map<ContainerFile *, Container *> g_containers;

Stream *FindStream(StreamHandle *h)
{
    const auto s = g_streams.find(h);
    return s == g_streams.end() ? nullptr : s->second.get();
}

Container *FindContainer(ContainerFile *cf)
{
    const auto c = g_containers.find(cf);
    return c == g_containers.end() ? nullptr : c->second;
}

StreamHandle *PLUGIN_CALL SvcOpen(ResourceItem *item) { return WebOpenStream(item); }
void PLUGIN_CALL SvcClose(StreamHandle *h) { WebCloseStream(h); }
uint32_t PLUGIN_CALL SvcGetSize(StreamHandle *h)
{
    Stream *s = FindStream(h);
    return s ? s->extent.size : 0;
}
uint32_t PLUGIN_CALL SvcTell(StreamHandle *h)
{
    Stream *s = FindStream(h);
    return s ? s->extent.position : 0;
}
uint32_t PLUGIN_CALL SvcIsEof(StreamHandle *h)
{
    Stream *s = FindStream(h);
    return s ? (s->extent.position >= s->extent.size ? 1u : 0u) : 1u;
}
void PLUGIN_CALL SvcSeek(StreamHandle *h, int32_t offset, uint32_t origin)
{
    if (Stream *s = FindStream(h))
        s->extent.Seek(offset, origin);
}
void PLUGIN_CALL SvcRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    if (!got)
        return;
    Stream *s = FindStream(h);
    *got = s ? s->extent.Read(buffer, count) : 0;
}

const HostFileServices kServices = {SvcOpen, SvcClose, SvcGetSize, SvcTell, SvcIsEof, SvcSeek, SvcRead};

uint32_t PLUGIN_CALL CfTell(ContainerFile *cf)
{
    Container *c = FindContainer(cf);
    return c ? c->extent.position : 0;
}
uint32_t PLUGIN_CALL CfIsEof(ContainerFile *cf)
{
    Container *c = FindContainer(cf);
    return c ? (c->extent.position >= c->extent.size ? 1u : 0u) : 1u;
}
void PLUGIN_CALL CfSeek(ContainerFile *cf, int32_t offset, uint32_t origin)
{
    if (Container *c = FindContainer(cf))
        c->extent.Seek(offset, origin);
}
void PLUGIN_CALL CfRead(ContainerFile *cf, void *buffer, uint32_t count, uint32_t *got)
{
    if (!got)
        return;
    Container *c = FindContainer(cf);
    *got = c ? c->extent.Read(buffer, count) : 0;
}

std::unique_ptr<Container> NewContainer(int file, uint64_t base, uint32_t size, const char *shortName)
{
    auto c = std::make_unique<Container>();
    std::memset(&c->visible, 0, sizeof c->visible);
    std::memset(&c->plugin, 0, sizeof c->plugin);
    c->shortName = shortName;
    c->plugin.shortName = c->shortName.c_str();
    c->plugin.Tell = CfTell;
    c->plugin.IsEof = CfIsEof;
    c->plugin.Seek = CfSeek;
    c->plugin.Read = CfRead;
    c->visible.plugin = &c->plugin;
    c->extent.file = file;
    c->extent.base = base;
    c->extent.size = size;
    g_containers[&c->visible] = c.get();
    return c;
}

} // namespace

const HostFileServices *WebServices() { return &kServices; }

ResourceItem *WebNewItem(int file, uint64_t base, uint32_t size, const char *containerName,
                         const std::string &name, const std::string &dataString)
{
    auto item = std::make_unique<Item>();
    /* The cached length is not determined yet. */
    if (!MakeItemRecord(item->record, name, dataString, -1))
        return nullptr;
    item->container = NewContainer(file, base, size, containerName);
    item->extent.file = file;
    item->extent.base = base;
    item->extent.size = size;
    ResourceItem *record = &item->record;
    g_items[record] = std::move(item);
    return record;
}

void WebDeleteItem(ResourceItem *record)
{
    const auto i = g_items.find(record);
    if (i == g_items.end())
        return;
    g_containers.erase(&i->second->container->visible);
    g_items.erase(i);
}

bool WebItemExtent(ResourceItem *record, int *file, uint64_t *base, uint32_t *size)
{
    const auto i = g_items.find(record);
    if (i == g_items.end())
        return false;
    *file = i->second->extent.file;
    *base = i->second->extent.base;
    *size = i->second->extent.size;
    return true;
}

StreamHandle *WebOpenStream(ResourceItem *record)
{
    const auto i = g_items.find(record);
    if (i == g_items.end())
        return nullptr;
    auto s = std::make_unique<Stream>();
    std::memset(&s->visible, 0, sizeof s->visible);
    s->visible.container = &i->second->container->visible;
    s->visible.item = record;
    s->extent.file = i->second->extent.file;
    s->extent.base = i->second->extent.base;
    s->extent.size = i->second->extent.size;
    StreamHandle *h = &s->visible;
    g_streams[h] = std::move(s);
    return h;
}

void WebCloseStream(StreamHandle *h) { g_streams.erase(h); }

uint32_t WebOpenStreams() { return static_cast<uint32_t>(g_streams.size()); }

ContainerFile *WebOpenContainer(int file, uint64_t size, const char *shortName)
{
    Container *c = NewContainer(file, 0, ItemExtent(size, 0, kMaxItemBytes).size, shortName).release();
    c->fileSize = size;
    return &c->visible;
}

void WebSetWindow(ContainerFile *cf, uint64_t base, uint32_t size)
{
    Container *c = FindContainer(cf);
    if (!c)
        return;
    const Extent e = ItemExtent(c->fileSize, base, size);
    c->extent.base = e.base;
    c->extent.size = e.size;
    c->extent.position = 0;
}

void WebCloseContainer(ContainerFile *cf)
{
    Container *c = FindContainer(cf);
    if (!c)
        return;
    g_containers.erase(cf);
    delete c;
}

uint8_t *WebWindowData() { return g_window.Data(); }

uint32_t WebWindowCapacity() { return kWindow; }

uint64_t WebWindowStart() { return g_window.start; }

uint32_t WebWindowLength() { return g_window.file < 0 ? 0 : g_window.length; }

void WebWindowFilled(int file, uint64_t start, uint32_t length)
{
    g_window.file = file;
    g_window.start = start;
    g_window.length = std::min(length, kWindow);
}

bool WebWindowCovers(int file, uint64_t offset, uint64_t n) { return g_window.Covers(file, offset, n); }

bool WebStreamOffset(StreamHandle *h, int *file, uint64_t *offset, uint64_t *end)
{
    Stream *s = FindStream(h);
    if (!s)
        return false;
    *file = s->extent.file;
    *offset = s->extent.base + s->extent.position;
    *end = s->extent.base + s->extent.size;
    return true;
}
