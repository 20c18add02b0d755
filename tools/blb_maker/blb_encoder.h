// Writing BLB sound resources: 22050 Hz mono 16-bit samples stored either as
// raw little-endian PCM or as DW ADPCM (one signed 8-bit delta per sample,
// summed into a 16-bit accumulator that is shifted left on playback).
#ifndef TOOLS_BLB_MAKER_BLB_ENCODER_H
#define TOOLS_BLB_MAKER_BLB_ENCODER_H

#include <cstdint>
#include <vector>

namespace blb {

constexpr uint32_t kSampleRate = 22050;

// The samples as raw little-endian 16-bit PCM.
std::vector<uint8_t> EncodeRawPcm(const std::vector<int16_t> &samples);

// What a player produces from the given accumulator value with this shift:
// the accumulator shifted left by (shift mod 32), truncated to 16 bits.
int16_t DwAdpcmOutput(uint16_t accumulator, unsigned shift);

// One delta per sample, each chosen so the decoded sample lands as close to
// the source as one step allows.  The choice is made on the decoded value
// itself, wrap-around included, so the accumulator never wraps into a
// glitch; a delta that wraps onto the target is as good as any other.
std::vector<uint8_t> EncodeDwAdpcm(const std::vector<int16_t> &samples, unsigned shift);

} // namespace blb

#endif
