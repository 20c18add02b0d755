// Just enough of the RIFF WAVE format for the sample makers: PCM, 8 or 16
// bits, mono or stereo, any rate.
#ifndef TOOLS_BLB_MAKER_WAV_IO_H
#define TOOLS_BLB_MAKER_WAV_IO_H

#include <cstdint>
#include <string>
#include <vector>

namespace blb {

struct WavAudio {
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    // Interleaved frames, 8-bit input already widened to 16 bits.
    std::vector<int16_t> samples;
};

// Reads path; on failure returns false with a reason in error.
bool ReadWav(const std::string &path, WavAudio &audio, std::string &error);

// Writes 16-bit PCM; false when the file cannot be written.
bool WriteWav(const std::string &path, const WavAudio &audio);

} // namespace blb

#endif
