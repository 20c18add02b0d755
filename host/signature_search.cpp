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
            for (size_t i = 0; i <= lastStart; ++i) {
                if (best >= 0 && static_cast<int64_t>(i) >= best)
                    break;
                if (buffer[i] == s[0] && std::memcmp(&buffer[i], s.data(), s.size()) == 0) {
                    best = static_cast<int64_t>(i);
                    break;
                }
            }
        }
        if (best >= 0)
            return static_cast<int64_t>(pos) + best;
        if (got < buffer.size())
            return -1;
    }
}
