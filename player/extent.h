/* The arithmetic the stream and container services share, whatever holds
 * the bytes: an item is an extent of a file, counted in 32 bits as the
 * interface counts, placed anywhere in a file of any length. */
#ifndef PLAYER_EXTENT_H
#define PLAYER_EXTENT_H

#include <cstdint>

/* The most bytes one item handed to a plug-in may have. */
constexpr uint64_t kMaxItemBytes = 0xFFFFFFFFull;

/* An extent [base, base + size) of a file. */
struct Extent {
    uint64_t base = 0;
    uint32_t size = 0;
};

/* The extent of at most size bytes from base, cut to a file of fileSize
 * bytes and to kMaxItemBytes (base past the end: an empty extent at the
 * end). */
Extent ItemExtent(uint64_t fileSize, uint64_t base, uint64_t size);

/* Whether a seek origin is one the interface defines (start, current). */
bool SeekOriginDefined(uint32_t origin);
/* Where a seek lands: from the start or the current position, before the
 * start taken as 0, past 4 GiB as the last offset; an undefined origin
 * leaves the position where it is. */
uint32_t SeekTarget(uint32_t position, int32_t offset, uint32_t origin);
/* How many of count bytes a read at position of an extent of size bytes
 * can deliver. */
uint32_t Deliverable(uint32_t position, uint32_t size, uint32_t count);

#endif
