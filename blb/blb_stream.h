/* The state of one open BLB sound stream, from Open to Close. */
#ifndef BLB_BLB_STREAM_H
#define BLB_BLB_STREAM_H

#include <stdint.h>

/* The fixed format of every BLB sound. */
#define BLB_SAMPLE_RATE 22050u
#define BLB_CHANNELS 1u
#define BLB_BITS_PER_SAMPLE 16u

/* Deltas fetched from the host per batch (each makes one 16-bit sample). */
#define BLB_BATCH_DELTAS 64000u

struct BlbSoundState {
    uint8_t shift;          /* BLB_SHIFT_RAW for raw PCM */
    int16_t accumulator;    /* DW ADPCM running value, carried across Reads */
    uint16_t channels;
    uint16_t bitsPerSample;
    uint16_t blockAlign;
    uint32_t sampleRate;
    uint8_t *buffer;        /* BLB_BATCH_DELTAS bytes for DW ADPCM, NULL for raw */
};

#endif
