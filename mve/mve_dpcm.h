/* MVE DPCM: each compressed byte indexes a table of 16-bit steps that is
 * added to the channel's running sample.  The sums wrap around in 16 bits
 * and are never clamped: the table's outermost steps only reach their
 * intended values through that wrap-around. */
#ifndef MVE_MVE_DPCM_H
#define MVE_MVE_DPCM_H

#include <stdint.h>

extern const int16_t MVE_DELTA_TABLE[256];

/* Decodes n bytes of a mono stream into n little-endian 16-bit samples at
 * out, carrying the running sample in *predictor. */
void DecodeMveDpcmMono(const uint8_t *in, uint32_t n, int16_t *predictor, uint8_t *out);

/* Decodes n bytes of an interleaved stereo stream into n samples at out.
 * channel (0 or 1) is the channel the first byte belongs to; returns the
 * channel of the byte that would follow. */
unsigned DecodeMveDpcmStereo(const uint8_t *in, uint32_t n, int16_t predictor[2], unsigned channel,
                             uint8_t *out);

#endif
