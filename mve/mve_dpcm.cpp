#include "mve_dpcm.h"

#include "common/pcm_store.h"

const int16_t MVE_DELTA_TABLE[256] = {
    0,      1,      2,      3,      4,      5,      6,      7,      8,      9,      10,     11,     12,     13,     14,     15,
    16,     17,     18,     19,     20,     21,     22,     23,     24,     25,     26,     27,     28,     29,     30,     31,
    32,     33,     34,     35,     36,     37,     38,     39,     40,     41,     42,     43,     47,     51,     56,     61,
    66,     72,     79,     86,     94,     102,    112,    122,    133,    145,    158,    173,    189,    206,    225,    245,
    267,    292,    318,    348,    379,    414,    452,    493,    538,    587,    640,    699,    763,    832,    908,    991,
    1081,   1180,   1288,   1405,   1534,   1673,   1826,   1993,   2175,   2373,   2590,   2826,   3084,   3365,   3672,   4008,
    4373,   4772,   5208,   5683,   6202,   6767,   7385,   8059,   8794,   9597,   10472,  11428,  12471,  13609,  14851,  16206,
    17685,  19298,  21060,  22981,  25078,  27367,  29864,  32589,  -29973, -26728, -23186, -19322, -15105, -10503, -5481,  -1,
    1,      1,      5481,   10503,  15105,  19322,  23186,  26728,  29973,  -32589, -29864, -27367, -25078, -22981, -21060, -19298,
    -17685, -16206, -14851, -13609, -12471, -11428, -10472, -9597,  -8794,  -8059,  -7385,  -6767,  -6202,  -5683,  -5208,  -4772,
    -4373,  -4008,  -3672,  -3365,  -3084,  -2826,  -2590,  -2373,  -2175,  -1993,  -1826,  -1673,  -1534,  -1405,  -1288,  -1180,
    -1081,  -991,   -908,   -832,   -763,   -699,   -640,   -587,   -538,   -493,   -452,   -414,   -379,   -348,   -318,   -292,
    -267,   -245,   -225,   -206,   -189,   -173,   -158,   -145,   -133,   -122,   -112,   -102,   -94,    -86,    -79,    -72,
    -66,    -61,    -56,    -51,    -47,    -43,    -42,    -41,    -40,    -39,    -38,    -37,    -36,    -35,    -34,    -33,
    -32,    -31,    -30,    -29,    -28,    -27,    -26,    -25,    -24,    -23,    -22,    -21,    -20,    -19,    -18,    -17,
    -16,    -15,    -14,    -13,    -12,    -11,    -10,    -9,     -8,     -7,     -6,     -5,     -4,     -3,     -2,     -1,
};

/* The running samples are kept as unsigned 16-bit values so that every
 * addition wraps around exactly, without relying on signed overflow. */
static inline uint16_t Step(uint16_t sample, uint8_t code)
{
    return (uint16_t)(sample + (uint16_t)MVE_DELTA_TABLE[code]);
}

void DecodeMveDpcmMono(const uint8_t *in, uint32_t n, int16_t *predictor, uint8_t *out)
{
    uint16_t sample = (uint16_t)*predictor;
    /* Unrolled: the loop's own bookkeeping costs as much as a sample. */
#pragma GCC unroll 4
    for (uint32_t i = 0; i < n; ++i) {
        sample = Step(sample, in[i]);
        StoreLe16(out + 2 * i, sample);
    }
    *predictor = (int16_t)sample;
}

unsigned DecodeMveDpcmStereo(const uint8_t *in, uint32_t n, int16_t predictor[2], unsigned channel,
                             uint8_t *out)
{
    uint16_t left = (uint16_t)predictor[0];
    uint16_t right = (uint16_t)predictor[1];
    if (channel && n) { /* finish the pair an earlier batch began */
        right = Step(right, *in++);
        StoreLe16(out, right);
        out += 2;
        --n;
        channel = 0;
    }
    const uint32_t pairs = n / 2;
#pragma GCC unroll 4
    for (uint32_t i = 0; i < pairs; ++i) {
        left = Step(left, in[2 * i]);
        right = Step(right, in[2 * i + 1]);
        StoreLe16(out + 4 * i, left);
        StoreLe16(out + 4 * i + 2, right);
    }
    if (n & 1) { /* a pair left open for the next batch */
        left = Step(left, in[n - 1]);
        StoreLe16(out + 4 * pairs, left);
        channel = 1;
    }
    predictor[0] = (int16_t)left;
    predictor[1] = (int16_t)right;
    return channel;
}
