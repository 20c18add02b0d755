/* A PCM sound held in memory, where it comes from (a WAV file or the
 * built-in tune), and the WAV form decoded sound is compared in. */
#ifndef TOOLS_MVE_MAKER_PCM_H
#define TOOLS_MVE_MAKER_PCM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mvemaker {

struct Pcm {
    uint32_t sampleRate = 22050;
    uint16_t channels = 1;
    uint16_t bitsPerSample = 16; /* 8: unsigned bytes; 16: signed little-endian */
    std::vector<uint8_t> bytes;  /* interleaved sample frames */

    size_t FrameBytes() const { return size_t(channels) * (bitsPerSample / 8); }
    size_t Frames() const { return FrameBytes() ? bytes.size() / FrameBytes() : 0; }
    /* Sample k of the interleaved data as a signed 16-bit value (8-bit
     * samples are centred and scaled up). */
    int16_t Sample16(size_t k) const;
};

/* A short melody with a little harmony, different on each side in stereo. */
Pcm BuiltInTune(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample, uint32_t milliseconds);

/* Reads a canonical PCM WAV (format 1, 8 or 16 bits, 1 or 2 channels);
 * false with a reason otherwise. */
bool ParseWav(const std::vector<uint8_t> &file, Pcm &pcm, std::string &error);

/* The 44-byte-header WAV of pcm. */
std::vector<uint8_t> MakeWav(const Pcm &pcm);

} // namespace mvemaker

#endif
