/* Reads of a file through a window of it kept in memory. */
#ifndef HOST_SERVICES_READ_AHEAD_H
#define HOST_SERVICES_READ_AHEAD_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

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

/* Up to n bytes at offset of file into out, through ra; the bytes given. */
size_t ReadThrough(ReadAhead &ra, std::FILE *file, uint64_t offset, void *out, size_t n);

#endif
