#include "host/services/file_host.h"

#include "host/report/report.h"

#include "player/extent.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

namespace {

/* What a stream or container has read of its file ahead of the plug-in.
 * Plug-ins ask for a few bytes at a time (4-byte chunk and opcode headers,
 * one batch of audio) and skip about with seeks; going to the file for each
 * of those costs a system call or two apiece, more than the decoding.  Reads
 * are served from a window of the file, refilled where a read leaves it; a
 * read of half the window or more goes straight into the plug-in's buffer,
 * with no copy in between.  The window is the same size whatever the file's
 * length. */
constexpr size_t kReadAhead = 256 * 1024;

struct ReadAhead {
    std::vector<uint8_t> bytes; /* allocated on first use */
    uint64_t start = 0;
    size_t length = 0;
};

size_t ReadThrough(ReadAhead &ra, std::FILE *file, uint64_t offset, void *out, size_t n)
{
    if (n >= kReadAhead / 2)
        return ReadFileAt(file, offset, out, n);
    if (offset < ra.start || offset + n > ra.start + ra.length) {
        if (ra.bytes.empty())
            ra.bytes.resize(kReadAhead);
        ra.start = offset;
        ra.length = ReadFileAt(file, offset, ra.bytes.data(), kReadAhead);
    }
    const uint64_t end = ra.start + ra.length;
    const size_t have = offset >= ra.start && offset < end ? static_cast<size_t>(end - offset) : 0;
    const size_t m = std::min(n, have);
    if (m)
        std::memcpy(out, ra.bytes.data() + (offset - ra.start), m);
    return m;
}

} // namespace

/* A container reader's view of a file (or of an item's extent of one). */
struct FileHost::Container {
    ContainerFile visible;
    ContainerPlugin plugin;
    std::string shortName;
    std::FILE *file = nullptr;
    uint64_t fileSize = 0;
    uint64_t base = 0;
    uint32_t size = 0;
    uint32_t position = 0;
    ReadAhead ahead;
    ~Container()
    {
        if (file)
            std::fclose(file);
    }
};

struct FileHost::Item {
    ResourceItem record;
    ResourceItem original;
    Container *container = nullptr;
    std::string path;
    uint64_t base = 0;
    uint32_t size = 0;
};

/* A stream: the plug-in-visible handle, then what the host keeps for it. */
struct FileHost::Stream {
    StreamHandle visible;
    StreamHandle expected; /* what the plug-in must leave alone */
    Item *item = nullptr;
    std::FILE *file = nullptr;
    uint32_t position = 0;
    ReadAhead ahead;
    ~Stream()
    {
        if (file)
            std::fclose(file);
    }
};

namespace {

FileHost *g_host = nullptr; /* the services are plain functions without context */

uint32_t Seeked(FileHost &host, const char *who, uint32_t position, int32_t offset, uint32_t origin,
                bool &ok)
{
    ok = SeekOriginDefined(origin);
    if (!ok)
        host.Fault(std::string(who) + " with origin " + std::to_string(origin) +
                   " (only 0 = start and 1 = current are defined)");
    const int64_t target = (origin == HOST_SEEK_SET ? 0 : static_cast<int64_t>(position)) + offset;
    if (ok && target < 0)
        host.Trace("  %s: target %lld lies before the start; position 0", who, (long long)target);
    return SeekTarget(position, offset, origin);
}

uint32_t ReadExtent(FileHost &host, std::FILE *file, ReadAhead &ahead, uint64_t base, uint32_t size,
                    uint32_t &position, void *buffer, uint32_t count)
{
    uint32_t n = host.Chunk(Deliverable(position, size, count));
    if (n)
        n = static_cast<uint32_t>(ReadThrough(ahead, file, base + position, buffer, n));
    position += n;
    return n;
}

StreamHandle *PLUGIN_CALL SvcOpen(ResourceItem *item) { return g_host->OpenStream(item); }
void PLUGIN_CALL SvcClose(StreamHandle *h) { g_host->CloseStream(h); }

uint32_t PLUGIN_CALL SvcGetSize(StreamHandle *h)
{
    FileHost::Stream *s = g_host->FindStream(h, "HostGetSize");
    const uint32_t size = s ? s->item->size : 0;
    g_host->Trace("HostGetSize(%p) -> %lu", (void *)h, (unsigned long)size);
    return size;
}

uint32_t PLUGIN_CALL SvcTell(StreamHandle *h)
{
    FileHost::Stream *s = g_host->FindStream(h, "HostTell");
    const uint32_t pos = s ? s->position : 0;
    g_host->Trace("HostTell(%p) -> %lu", (void *)h, (unsigned long)pos);
    return pos;
}

uint32_t PLUGIN_CALL SvcIsEof(StreamHandle *h)
{
    FileHost::Stream *s = g_host->FindStream(h, "HostIsEof");
    const uint32_t eof = s ? (s->position >= s->item->size ? 1u : 0u) : 1u;
    g_host->Trace("HostIsEof(%p) -> %lu", (void *)h, (unsigned long)eof);
    return eof;
}

void PLUGIN_CALL SvcSeek(StreamHandle *h, int32_t offset, uint32_t origin)
{
    FileHost::Stream *s = g_host->FindStream(h, "HostSeek");
    if (!s)
        return;
    bool ok;
    s->position = Seeked(*g_host, "HostSeek", s->position, offset, origin, ok);
    g_host->Trace("HostSeek(%p, %ld, %lu) -> position %lu", (void *)h, (long)offset,
                  (unsigned long)origin, (unsigned long)s->position);
}

void PLUGIN_CALL SvcRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    FileHost::Stream *s = g_host->FindStream(h, "HostRead");
    if (!got) {
        g_host->Fault("HostRead without a place for the byte count");
        return;
    }
    *got = 0;
    if (!s)
        return;
    if (!buffer && count) {
        g_host->Fault("HostRead into a NULL buffer");
        return;
    }
    *got = ReadExtent(*g_host, s->file, s->ahead, s->item->base, s->item->size, s->position, buffer, count);
    if (ReadObserver *o = g_host->observer())
        o->Reading(s->position, s->item->size);
    g_host->Trace("HostRead(%p, %p, %lu) -> got %lu, position %lu", (void *)h, buffer,
                  (unsigned long)count, (unsigned long)*got, (unsigned long)s->position);
}

const HostFileServices kServices = {SvcOpen, SvcClose, SvcGetSize, SvcTell, SvcIsEof, SvcSeek, SvcRead};

uint32_t PLUGIN_CALL CfTell(ContainerFile *cf)
{
    FileHost::Container *c = g_host->FindContainer(cf, "ContainerTell");
    const uint32_t pos = c ? c->position : 0;
    g_host->Trace("ContainerTell(%p) -> %lu", (void *)cf, (unsigned long)pos);
    return pos;
}

uint32_t PLUGIN_CALL CfIsEof(ContainerFile *cf)
{
    FileHost::Container *c = g_host->FindContainer(cf, "ContainerIsEof");
    const uint32_t eof = c ? (c->position >= c->size ? 1u : 0u) : 1u;
    g_host->Trace("ContainerIsEof(%p) -> %lu", (void *)cf, (unsigned long)eof);
    return eof;
}

void PLUGIN_CALL CfSeek(ContainerFile *cf, int32_t offset, uint32_t origin)
{
    FileHost::Container *c = g_host->FindContainer(cf, "ContainerSeek");
    if (!c)
        return;
    bool ok;
    c->position = Seeked(*g_host, "ContainerSeek", c->position, offset, origin, ok);
    g_host->Trace("ContainerSeek(%p, %ld, %lu) -> position %lu", (void *)cf, (long)offset,
                  (unsigned long)origin, (unsigned long)c->position);
}

void PLUGIN_CALL CfRead(ContainerFile *cf, void *buffer, uint32_t count, uint32_t *got)
{
    FileHost::Container *c = g_host->FindContainer(cf, "ContainerRead");
    if (!got) {
        g_host->Fault("ContainerRead without a place for the byte count");
        return;
    }
    *got = 0;
    if (!c)
        return;
    if (!buffer && count) {
        g_host->Fault("ContainerRead into a NULL buffer");
        return;
    }
    *got = ReadExtent(*g_host, c->file, c->ahead, c->base, c->size, c->position, buffer, count);
    if (ReadObserver *o = g_host->observer())
        o->Reading(c->position, c->size);
    g_host->Trace("ContainerRead(%p, %p, %lu) -> got %lu, position %lu", (void *)cf, buffer,
                  (unsigned long)count, (unsigned long)*got, (unsigned long)c->position);
}

} // namespace

FileHost::FileHost(const Settings &settings) : settings_(settings) { g_host = this; }

FileHost::~FileHost()
{
    streams_.clear();
    lastHandle_ = nullptr;
    lastStream_ = nullptr;
    items_.clear();
    containers_.clear();
    if (g_host == this)
        g_host = nullptr;
}

const HostFileServices *FileHost::services() const { return &kServices; }

void FileHost::Trace(const char *format, ...)
{
    if (!settings_.trace)
        return;
    va_list args;
    va_start(args, format);
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    report::ToStderr(std::string("trace: ") + text + "\n");
}

void FileHost::Fault(const std::string &what)
{
    report::Error("plug-in fault: %s", what.c_str());
    ++faultCount_;
    if (faults_.size() < 100)
        faults_.push_back(what);
}

uint32_t FileHost::Chunk(uint32_t count) const
{
    return settings_.readChunk ? std::min(count, settings_.readChunk) : count;
}

FileHost::Item *FileHost::FindItem(ResourceItem *item)
{
    auto it = items_.find(item);
    return it == items_.end() ? nullptr : it->second.get();
}

FileHost::Stream *FileHost::FindStream(StreamHandle *h, const char *service)
{
    /* A plug-in calls the services on one stream many times in a row:
     * the last one found is checked first. */
    if (h && h == lastHandle_)
        return lastStream_;
    auto it = streams_.find(h);
    if (it == streams_.end()) {
        char text[96];
        std::snprintf(text, sizeof text, "%s on %p, which is not an open stream", service, (void *)h);
        Fault(text);
        return nullptr;
    }
    lastHandle_ = h;
    lastStream_ = it->second.get();
    return lastStream_;
}

FileHost::Container *FileHost::FindContainer(ContainerFile *cf, const char *service)
{
    auto it = containers_.find(cf);
    if (it == containers_.end()) {
        char text[96];
        std::snprintf(text, sizeof text, "%s on %p, which is not a container file", service, (void *)cf);
        Fault(text);
        return nullptr;
    }
    return it->second.get();
}

ContainerFile *FileHost::OpenContainer(const std::string &path, const std::string &shortName,
                                       std::string &error)
{
    auto c = std::make_unique<Container>();
    c->file = OpenFile(path, "rb");
    const int64_t length = c->file ? FileLength(c->file) : -1;
    if (length < 0) {
        error = "cannot read " + DisplayPath(path) + ": " + SystemErrorText(c->file ? EIO : errno);
        return nullptr;
    }
    c->shortName = shortName;
    std::memset(&c->plugin, 0, sizeof c->plugin);
    c->plugin.shortName = c->shortName.c_str();
    c->plugin.Tell = CfTell;
    c->plugin.IsEof = CfIsEof;
    c->plugin.Seek = CfSeek;
    c->plugin.Read = CfRead;
    c->visible.plugin = &c->plugin;
    c->fileSize = static_cast<uint64_t>(length);
    c->size = ItemExtent(c->fileSize, 0, kMaxItemBytes).size;
    ContainerFile *cf = &c->visible;
    containers_[cf] = std::move(c);
    return cf;
}

void FileHost::SetWindow(ContainerFile *cf, uint64_t base, uint32_t size)
{
    Container *c = FindContainer(cf, "SetWindow");
    if (!c)
        return;
    const Extent e = ItemExtent(c->fileSize, base, size);
    c->base = e.base;
    c->size = e.size;
    c->position = 0;
    c->ahead.length = 0;
}

ResourceItem *FileHost::AddItem(const std::string &path, uint64_t base, uint32_t size,
                                const std::string &containerName, const std::string &name,
                                const std::string &dataString, int32_t cachedLength,
                                std::string &error)
{
    if (name.size() >= RESOURCE_NAME_CAPACITY || dataString.size() >= RESOURCE_DATA_CAPACITY) {
        error = "item name or data string too long";
        return nullptr;
    }
    ContainerFile *cf = OpenContainer(path, containerName, error);
    if (!cf)
        return nullptr;
    Container *c = containers_[cf].get();
    const Extent e = ItemExtent(c->fileSize, base, size);
    c->base = e.base;
    c->size = e.size;

    auto item = std::make_unique<Item>();
    std::memset(&item->record, 0, sizeof item->record);
    item->record.cachedLength = cachedLength;
    std::memcpy(item->record.name, name.c_str(), name.size() + 1);
    std::memcpy(item->record.dataString, dataString.c_str(), dataString.size() + 1);
    item->original = item->record;
    item->container = c;
    item->path = path;
    item->base = c->base;
    item->size = c->size;
    ResourceItem *record = &item->record;
    items_[record] = std::move(item);
    return record;
}

StreamHandle *FileHost::OpenStream(ResourceItem *record)
{
    Item *item = FindItem(record);
    StreamHandle *result = nullptr;
    if (!item) {
        char text[96];
        std::snprintf(text, sizeof text, "HostOpen on %p, which is not an item", (void *)record);
        Fault(text);
    } else if (std::FILE *file = OpenFile(item->path, "rb")) {
        auto s = std::make_unique<Stream>();
        std::memset(&s->visible, 0, sizeof s->visible);
        s->visible.container = &item->container->visible;
        s->visible.item = record;
        s->expected = s->visible;
        s->item = item;
        s->file = file;
        result = &s->visible;
        streams_[result] = std::move(s);
    }
    Trace("HostOpen(%p \"%s\") -> %p", (void *)record, item ? item->record.dataString : "?",
          (void *)result);
    return result;
}

void FileHost::CheckItems()
{
    for (auto &entry : items_) {
        Item &item = *entry.second;
        if (std::memcmp(&item.record, &item.original, sizeof item.record) != 0) {
            Fault(std::string("the plug-in wrote into the item record of \"") + item.original.dataString + "\"");
            item.original = item.record; /* reported once */
        }
    }
}

void FileHost::ReleaseItems()
{
    if (!streams_.empty())
        return;
    CheckItems();
    items_.clear();
    containers_.clear();
}

void FileHost::CloseStream(StreamHandle *h)
{
    Trace("HostClose(%p)", (void *)h);
    Stream *s = FindStream(h, "HostClose");
    if (!s)
        return;
    if (s->visible.container != s->expected.container || s->visible.item != s->expected.item ||
        std::memcmp(s->visible.hostReserved, s->expected.hostReserved, sizeof s->visible.hostReserved))
        Fault("the plug-in wrote into a stream handle's host fields");
    streams_.erase(h);
    lastHandle_ = nullptr;
    lastStream_ = nullptr;
}
