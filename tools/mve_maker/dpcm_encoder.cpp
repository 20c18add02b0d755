#include "dpcm_encoder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace mvemaker {

namespace {

/* The lower half of the step table; the upper half mirrors it: code 128 is
 * +1 and code 128 + i is the negation of code 128 - i.  Codes 120-127 and
 * 129-136 are large steps that only come out right with 16-bit wrap-around. */
const int32_t kLowerSteps[128] = {
    0,     1,     2,     3,     4,     5,     6,     7,     8,     9,     10,    11,    12,    13,    14,    15,
    16,    17,    18,    19,    20,    21,    22,    23,    24,    25,    26,    27,    28,    29,    30,    31,
    32,    33,    34,    35,    36,    37,    38,    39,    40,    41,    42,    43,    47,    51,    56,    61,
    66,    72,    79,    86,    94,    102,   112,   122,   133,   145,   158,   173,   189,   206,   225,   245,
    267,   292,   318,   348,   379,   414,   452,   493,   538,   587,   640,   699,   763,   832,   908,   991,
    1081,  1180,  1288,  1405,  1534,  1673,  1826,  1993,  2175,  2373,  2590,  2826,  3084,  3365,  3672,  4008,
    4373,  4772,  5208,  5683,  6202,  6767,  7385,  8059,  8794,  9597,  10472, 11428, 12471, 13609, 14851, 16206,
    17685, 19298, 21060, 22981, 25078, 27367, 29864, 32589, 35563, 38808, 42350, 46214, 50431, 55033, 60055, 65535,
};

/* Every code's step as a decoder adds it, sorted by value. */
struct SortedSteps {
    std::array<std::pair<int32_t, uint8_t>, 256> entries;
    SortedSteps()
    {
        for (int code = 0; code < 256; ++code)
            entries[code] = {int32_t(DpcmStep(uint8_t(code))), uint8_t(code)};
        std::sort(entries.begin(), entries.end());
    }
};

const SortedSteps &Steps()
{
    static const SortedSteps steps;
    return steps;
}

/* The code whose step brings current nearest to target without leaving the
 * 16-bit range, so a decoder never has to wrap. */
uint8_t BestCode(int32_t current, int32_t target)
{
    const auto &e = Steps().entries;
    const int32_t wanted = target - current;
    auto above = std::lower_bound(e.begin(), e.end(), std::make_pair(wanted, uint8_t(0)));
    /* Of the nearest steps below and above the wanted one, the one lying
     * between it and 0 always keeps the sample in range (0 is a step). */
    int32_t bestError = INT32_MAX;
    uint8_t best = 0;
    auto consider = [&](decltype(above) it) {
        const int32_t result = current + it->first;
        if (result < -32768 || result > 32767)
            return;
        const int32_t error = result > target ? result - target : target - result;
        if (error < bestError) {
            bestError = error;
            best = it->second;
        }
    };
    if (above != e.end())
        consider(above);
    if (above != e.begin())
        consider(above - 1);
    return best;
}

} // namespace

int16_t DpcmStep(uint8_t code)
{
    if (code < 128)
        return int16_t(uint16_t(kLowerSteps[code]));
    if (code == 128)
        return 1;
    return int16_t(uint16_t(-kLowerSteps[256 - code]));
}

std::vector<uint8_t> EncodeDpcmFrame(const int16_t *samples, size_t frames, unsigned channels,
                                     std::vector<int16_t> *decoded)
{
    std::vector<uint8_t> out;
    if (frames == 0)
        return out;
    out.reserve(channels * 2 + (frames - 1) * channels);
    int32_t current[2] = {0, 0};
    for (unsigned c = 0; c < channels; ++c) {
        current[c] = samples[c];
        out.push_back(uint8_t(uint16_t(samples[c])));
        out.push_back(uint8_t(uint16_t(samples[c]) >> 8));
        if (decoded)
            decoded->push_back(samples[c]);
    }
    for (size_t i = channels; i < frames * channels; ++i) {
        const unsigned c = unsigned(i % channels);
        const uint8_t code = BestCode(current[c], samples[i]);
        current[c] += DpcmStep(code);
        out.push_back(code);
        if (decoded)
            decoded->push_back(int16_t(current[c]));
    }
    return out;
}

} // namespace mvemaker
