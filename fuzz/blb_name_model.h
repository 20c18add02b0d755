/* The data-string convention of BLB sound resources, written out a second
 * time in the plainest way, so the targets can tell what the plug-in should
 * have accepted and how long the sound lasts. */
#ifndef FUZZ_BLB_NAME_MODEL_H
#define FUZZ_BLB_NAME_MODEL_H

#include <cstdint>
#include <string>

namespace blbmodel {

inline unsigned HexRunLowByte(const std::string &text, size_t at, bool *any)
{
    unsigned value = 0;
    *any = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            break;
        value = (value * 16 + d) & 0xFF;
        *any = true;
    }
    return *any ? value : 0xFF;
}

/* Type 7 or 8 after the last '.', in a container named exactly "BLB". */
inline bool Accepted(const std::string &container, const std::string &name)
{
    const size_t dot = name.rfind('.');
    if (container != "BLB" || dot == std::string::npos)
        return false;
    bool any;
    const unsigned type = HexRunLowByte(name, dot + 1, &any);
    return type == 7 || type == 8;
}

/* 0xFF (raw PCM) unless a '-' is followed by hex digits. */
inline unsigned Shift(const std::string &name)
{
    const size_t dash = name.find('-');
    if (dash == std::string::npos)
        return 0xFF;
    bool any;
    return HexRunLowByte(name, dash + 1, &any);
}

/* Milliseconds of a resource of size bytes, rounded half up. */
inline int32_t LengthMs(uint64_t size, unsigned shift)
{
    const uint64_t numerator = (shift != 0xFF ? 2 : 1) * size * 8000;
    return int32_t((2 * numerator + 352800) / (2 * 352800));
}

} // namespace blbmodel

#endif
