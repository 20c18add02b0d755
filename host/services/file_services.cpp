/* The player's stream and container services as plug-ins call them, each
 * checked and traced, served by the one FileHost of the run. */
#include "host/services/file_host_records.h"

#include "player/extent.h"

#include <algorithm>
#include <string>

namespace {

FileHost *g_host = nullptr;

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

void BindFileServices(FileHost *host) { g_host = host; }

void UnbindFileServices(FileHost *host)
{
    if (g_host == host)
        g_host = nullptr;
}

const HostFileServices *FileServicesTable() { return &kServices; }

void FillContainerReader(ContainerPlugin &reader)
{
    reader.Tell = CfTell;
    reader.IsEof = CfIsEof;
    reader.Seek = CfSeek;
    reader.Read = CfRead;
}
