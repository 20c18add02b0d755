#include "blb_adpcm.h"

#include "common/pcm_store.h"

void DecodeDwAdpcm(const uint8_t *deltas, uint32_t n, int16_t *accumulator, uint32_t shift,
                   uint8_t *out)
{
    /* Unsigned arithmetic throughout: the wrap-around and the wide shifts are
     * the format's behaviour, not overflow.  The accumulator runs in 32 bits
     * without being cut back to 16 after each delta: a sample is only the
     * low 16 bits of the shifted value, and a left shift never brings higher
     * bits down, so the 16-bit wrap-around comes out in the truncation.  That
     * leaves a single addition per sample on the loop's dependency chain. */
    const uint32_t s = shift & 31u;
    uint32_t acc = static_cast<uint16_t>(*accumulator);
    /* Unrolled: the loop's own bookkeeping costs as much as a sample. */
#pragma GCC unroll 4
    for (uint32_t k = 0; k < n; ++k) {
        acc += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(deltas[k])));
        StoreLe16(out + 2 * k, static_cast<uint16_t>(acc << s));
    }
    /* Back to signed 16 bits without relying on out-of-range conversions. */
    acc &= 0xFFFFu;
    *accumulator = static_cast<int16_t>(static_cast<int32_t>(acc) - static_cast<int32_t>((acc & 0x8000u) << 1));
}
