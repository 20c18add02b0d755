/* DW ADPCM: each stored byte is a signed 8-bit delta added to a 16-bit
 * accumulator (wrapping, never clamped); the accumulator shifted left by the
 * resource's shift count, truncated to 16 bits, is the output sample. */
#ifndef BLB_BLB_ADPCM_H
#define BLB_BLB_ADPCM_H

#include <stdint.h>

/* Decodes n deltas into n little-endian 16-bit samples at out (2n bytes),
 * carrying *accumulator across calls.  The shift is taken mod 32, so 16..31
 * give silence and 32 behaves as 0. */
void DecodeDwAdpcm(const uint8_t *deltas, uint32_t n, int16_t *accumulator, uint32_t shift,
                   uint8_t *out);

#endif
