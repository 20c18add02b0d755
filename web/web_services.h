/* The player's stream and container services for the page, served from
 * the files the user gave it through one window of the file in the
 * module's memory (so a file of any size costs the same few megabytes).
 *
 * An item is an extent of a file, so one disc image can hold several
 * items.  Plug-ins ask for a few bytes at a time, and each trip to the
 * page's file costs far more than decoding them: the worker fills the
 * window ahead without blocking, and a read outside it refills it there
 * and then (PageRead). */
#ifndef WEB_WEB_SERVICES_H
#define WEB_WEB_SERVICES_H

#include "common/plugin_api.h"

#include <cstdint>
#include <string>

/* The table for every descriptor's hostServices. */
const HostFileServices *WebServices();

/* A new item over [base, base + size) of the page's file `file`, whose
 * container reader is called containerName; NULL when the name or data
 * string does not fit the record. */
ResourceItem *WebNewItem(int file, uint64_t base, uint32_t size, const char *containerName,
                         const std::string &name, const std::string &dataString);
void WebDeleteItem(ResourceItem *item);
/* The file and extent of an item the host made, or false. */
bool WebItemExtent(ResourceItem *item, int *file, uint64_t *base, uint32_t *size);

/* The host's own open and dispose of a stream. */
StreamHandle *WebOpenStream(ResourceItem *item);
void WebCloseStream(StreamHandle *h);
uint32_t WebOpenStreams();

/* A whole file as a container reader named shortName sees it (ScanFile). */
ContainerFile *WebOpenContainer(int file, uint64_t size, const char *shortName);
/* The container shows [base, base + size) of its file from now on,
 * position 0 at base (a scan's window past 4 GiB). */
void WebSetWindow(ContainerFile *cf, uint64_t base, uint32_t size);
void WebCloseContainer(ContainerFile *cf);

/* The window: where the worker puts bytes of a file, how many fit, and
 * what it holds. */
uint8_t *WebWindowData();
uint32_t WebWindowCapacity();
uint64_t WebWindowStart();
uint32_t WebWindowLength();
/* The worker has put length bytes of file at offset start into the window. */
void WebWindowFilled(int file, uint64_t start, uint32_t length);
bool WebWindowCovers(int file, uint64_t offset, uint64_t n);

/* Where a stream reads next in its file, and where its extent ends. */
bool WebStreamOffset(StreamHandle *h, int *file, uint64_t *offset, uint64_t *end);

#endif
