/* Decoded samples leave as little-endian 16-bit values. */
#ifndef COMMON_PCM_STORE_H
#define COMMON_PCM_STORE_H

#include <stdint.h>

/* On a little-endian machine (every machine the plug-ins run on) this is one
 * plain 16-bit store; spelt as two byte stores, the compiler merges a stereo
 * pair into one word with shifts and masks that cost more than the decoding
 * itself. */
static inline void StoreLe16(uint8_t *out, uint16_t sample)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    __builtin_memcpy(out, &sample, sizeof sample);
#else
    out[0] = (uint8_t)sample;
    out[1] = (uint8_t)(sample >> 8);
#endif
}

#endif
