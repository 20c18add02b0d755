/* Finding a plug-in's file signatures in a file of any length with a
 * bounded window, so scanning a large raw file keeps memory flat. */
#ifndef PLAYER_SIGNATURE_SEARCH_H
#define PLAYER_SIGNATURE_SEARCH_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

/* Reads up to n bytes at offset; returns how many it delivered (fewer only
 * at the end of the data). */
using ReadAtFn = std::function<size_t(uint64_t offset, uint8_t *buffer, size_t n)>;

using Signature = std::vector<uint8_t>;

/* The lowest offset >= from at which any of the signatures starts, or -1.
 * Empty signatures never match. */
int64_t FindSignature(const ReadAtFn &readAt, const std::vector<Signature> &signatures,
                      uint64_t from, size_t window = 64 * 1024);

#endif
