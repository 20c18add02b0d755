#include "host/services/read_ahead.h"

#include "host/system/file_system.h"

#include <algorithm>
#include <cstring>

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
