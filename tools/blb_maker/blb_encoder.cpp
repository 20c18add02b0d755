#include "blb_encoder.h"

#include <cstdlib>

namespace blb {

std::vector<uint8_t> EncodeRawPcm(const std::vector<int16_t> &samples)
{
    std::vector<uint8_t> out;
    out.reserve(samples.size() * 2);
    for (int16_t s : samples) {
        const auto u = static_cast<uint16_t>(s);
        out.push_back(static_cast<uint8_t>(u & 0xFF));
        out.push_back(static_cast<uint8_t>(u >> 8));
    }
    return out;
}

int16_t DwAdpcmOutput(uint16_t accumulator, unsigned shift)
{
    const uint32_t v = (static_cast<uint32_t>(accumulator) << (shift & 31u)) & 0xFFFFu;
    return static_cast<int16_t>(static_cast<int32_t>(v) - static_cast<int32_t>((v & 0x8000u) << 1));
}

std::vector<uint8_t> EncodeDwAdpcm(const std::vector<int16_t> &samples, unsigned shift)
{
    std::vector<uint8_t> out;
    out.reserve(samples.size());
    uint16_t acc = 0;
    for (int16_t target : samples) {
        // Try every delta; on equal error keep the smaller step, so silent
        // shifts (16..31) store zeros and ties do not drift the accumulator.
        int best = 0;
        long bestError = -1;
        for (int d = -128; d <= 127; ++d) {
            const auto next = static_cast<uint16_t>(acc + d);
            const long error = std::labs(static_cast<long>(DwAdpcmOutput(next, shift)) - target);
            if (bestError < 0 || error < bestError || (error == bestError && std::abs(d) < std::abs(best))) {
                best = d;
                bestError = error;
            }
        }
        acc = static_cast<uint16_t>(acc + best);
        out.push_back(static_cast<uint8_t>(static_cast<int8_t>(best)));
    }
    return out;
}

} // namespace blb
