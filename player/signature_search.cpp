#include "signature_search.h"

#include <algorithm>
#include <cstring>

int64_t FindSignature(const ReadAtFn &readAt, const std::vector<Signature> &signatures,
                      uint64_t from, size_t window)
{
    size_t longest = 0;
    for (const Signature &s : signatures)
        longest = std::max(longest, s.size());
    if (longest == 0 || window == 0)
        return -1;

    /* Each pass looks at starts in [pos, pos + window); the extra
     * longest - 1 bytes let a signature cross into the next window. */
    std::vector<uint8_t> buffer(window + longest - 1);
    for (uint64_t pos = from;; pos += window) {
        const size_t got = readAt(pos, buffer.data(), buffer.size());
        int64_t best = -1;
        for (const Signature &s : signatures) {
            if (s.empty() || got < s.size())
                continue;
            const size_t lastStart = std::min(window - 1, got - s.size());
            /* memchr finds the candidates: a disc image is mostly other
             * bytes, and gigabytes of them are read. */
            const size_t limit = best >= 0 ? std::min<size_t>(lastStart + 1, static_cast<size_t>(best)) : lastStart + 1;
            for (size_t i = 0; i < limit;) {
                const void *hit = std::memchr(&buffer[i], s[0], limit - i);
                if (!hit)
                    break;
                i = static_cast<size_t>(static_cast<const uint8_t *>(hit) - buffer.data());
                if (std::memcmp(&buffer[i], s.data(), s.size()) == 0) {
                    best = static_cast<int64_t>(i);
                    break;
                }
                ++i;
            }
        }
        if (best >= 0)
            return static_cast<int64_t>(pos) + best;
        if (got < buffer.size())
            return -1;
    }
}
