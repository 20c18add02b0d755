/* How long a BLB sound plays, from its stored size alone. */
#ifndef BLB_BLB_LENGTH_H
#define BLB_BLB_LENGTH_H

#include <stdint.h>

/* Milliseconds for size stored bytes at 22050 Hz mono 16-bit: raw PCM holds
 * two bytes per sample, DW ADPCM one.  Rounded to the nearest millisecond, an
 * exact half up. */
int32_t BlbPlayLengthMs(uint32_t size, uint8_t shift);

#endif
