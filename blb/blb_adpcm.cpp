#include "blb_adpcm.h"

void DecodeDwAdpcm(const uint8_t *deltas, uint32_t n, int16_t *accumulator, uint32_t shift,
                   uint8_t *out)
{
    /* Unsigned arithmetic throughout: the wrap-around and the wide shifts are
     * the format's behaviour, not overflow. */
    const uint32_t s = shift & 31u;
    uint32_t acc = static_cast<uint16_t>(*accumulator);
    for (uint32_t k = 0; k < n; ++k) {
        const uint32_t delta = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(deltas[k])));
        acc = (acc + delta) & 0xFFFFu;
        const uint32_t sample = acc << s;
        out[2 * k] = static_cast<uint8_t>(sample);
        out[2 * k + 1] = static_cast<uint8_t>(sample >> 8);
    }
    /* Back to signed without relying on out-of-range conversions. */
    *accumulator = static_cast<int16_t>(static_cast<int32_t>(acc) - static_cast<int32_t>((acc & 0x8000u) << 1));
}
