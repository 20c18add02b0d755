/* The decoded PCM on disk: a RIFF/WAVE file whose sizes are put right when
 * it is finished, or bare PCM. */
#ifndef HOST_WAV_WRITER_H
#define HOST_WAV_WRITER_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

constexpr uint32_t kWavHeaderSize = 44;

/* Bytes per sample frame as a WAV file states it (whole bytes per sample). */
uint32_t WavBlockAlign(uint16_t channels, uint16_t bitsPerSample);

/* A canonical 44-byte PCM header for dataBytes of audio (the RIFF size
 * counts the pad byte an odd data chunk is followed by). */
std::array<uint8_t, kWavHeaderSize> WavHeader(uint32_t sampleRate, uint16_t channels,
                                              uint16_t bitsPerSample, uint32_t dataBytes);

/* The most audio one WAV file can hold. */
constexpr uint32_t kWavMaxData = 0xFFFFFFFFu - 36u - 1u;

class WavFileWriter {
public:
    WavFileWriter() = default;
    ~WavFileWriter();
    WavFileWriter(const WavFileWriter &) = delete;
    WavFileWriter &operator=(const WavFileWriter &) = delete;

    /* raw: bare PCM, no header. */
    bool Open(const std::string &path, bool raw, uint32_t sampleRate, uint16_t channels,
              uint16_t bitsPerSample);
    bool Write(const void *data, uint32_t bytes); /* false on a write error or a full file */
    bool Finish();                                /* fixes the header's sizes and closes */
    uint32_t dataBytes() const { return dataBytes_; }

private:
    std::FILE *file_ = nullptr;
    bool raw_ = false;
    uint32_t sampleRate_ = 0;
    uint16_t channels_ = 0, bits_ = 0;
    uint32_t dataBytes_ = 0;
};

#endif
