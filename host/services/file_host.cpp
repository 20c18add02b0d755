/* FileHost: the items, containers and streams of a run, and the checks on
 * what the plug-in does with them. */
#include "host/services/file_host_records.h"

#include "host/report/report.h"

#include "player/extent.h"
#include "player/item_record.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

FileHost::FileHost(const Settings &settings) : settings_(settings) { BindFileServices(this); }

FileHost::~FileHost()
{
    streams_.clear();
    lastHandle_ = nullptr;
    lastStream_ = nullptr;
    items_.clear();
    containers_.clear();
    UnbindFileServices(this);
}

const HostFileServices *FileHost::services() const { return FileServicesTable(); }

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
    FillContainerReader(c->plugin);
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
    ResourceItem filled;
    if (!MakeItemRecord(filled, name, dataString, cachedLength)) {
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
    item->record = filled;
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
