/* The RIFF/WAVE header the player's hosts write before decoded PCM. */
#ifndef PLAYER_WAV_HEADER_H
#define PLAYER_WAV_HEADER_H

#include <array>
#include <cstdint>

constexpr uint32_t kWavHeaderSize = 44;

/* Bytes per sample frame as a WAV file states it (whole bytes per sample). */
uint32_t WavBlockAlign(uint16_t channels, uint16_t bitsPerSample);

/* A canonical 44-byte PCM header for dataBytes of audio (the RIFF size
 * counts the pad byte an odd data chunk is followed by). */
std::array<uint8_t, kWavHeaderSize> WavHeader(uint32_t sampleRate, uint16_t channels,
                                              uint16_t bitsPerSample, uint32_t dataBytes);

/* The most audio one WAV file can hold. */
constexpr uint32_t kWavMaxData = 0xFFFFFFFFu - 36u - 1u;

/* The data size of a header written before the size is known and never
 * put right (the RIFF size is 36 more): the "size unknown" mark sox writes
 * to pipes itself, which sox and ffmpeg read as "to the end of the
 * stream". */
constexpr uint32_t kWavUnknownSize = 0x7FFFF000u;

#endif
