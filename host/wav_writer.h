/* The decoded PCM on disk or on standard output: a RIFF/WAVE file whose
 * sizes are put right when it is finished, or bare PCM.  Standard output
 * that is a pipe cannot be rewound, so there the header carries the "size
 * unknown" mark sox writes to pipes itself, which sox and ffmpeg read as
 * "to the end of the stream". */
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

/* The data size of a header written before the size is known and never
 * put right (the RIFF size is 36 more). */
constexpr uint32_t kWavUnknownSize = 0x7FFFF000u;

/* The path that means standard output. */
constexpr const char kStdoutPath[] = "-";

class WavFileWriter {
public:
    WavFileWriter() = default;
    ~WavFileWriter();
    WavFileWriter(const WavFileWriter &) = delete;
    WavFileWriter &operator=(const WavFileWriter &) = delete;

    /* raw: bare PCM, no header.  path "-": standard output. */
    bool Open(const std::string &path, bool raw, uint32_t sampleRate, uint16_t channels,
              uint16_t bitsPerSample);
    bool Write(const void *data, uint32_t bytes); /* false on a write error or a full file */
    bool Finish();                                /* fixes the header's sizes and closes */
    /* After a failure: closes and removes what was written, when it is a
     * regular file of its own (never standard output or a device). */
    void Abandon();
    uint32_t dataBytes() const { return dataBytes_; }
    /* Whether the header's sizes can be put right at the end. */
    bool seekable() const { return seekable_; }

private:
    std::FILE *file_ = nullptr;
    std::string path_;
    bool toStdout_ = false;
    bool seekable_ = false;
    bool regular_ = false;
    int64_t start_ = 0; /* where the header is */
    bool raw_ = false;
    uint32_t sampleRate_ = 0;
    uint16_t channels_ = 0, bits_ = 0;
    uint32_t dataBytes_ = 0;
};

#endif
