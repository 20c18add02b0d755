#include "wav_writer.h"

#include <cstdio>

namespace {
void Put16(uint8_t *p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t *p, uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}
int64_t Tell(std::FILE *file)
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

bool SeekTo(std::FILE *file, int64_t offset)
{
#ifdef _WIN32
    return _fseeki64(file, offset, SEEK_SET) == 0;
#else
    return fseeko(file, offset, SEEK_SET) == 0;
#endif
}
} // namespace

uint32_t WavBlockAlign(uint16_t channels, uint16_t bitsPerSample)
{
    return static_cast<uint32_t>(channels) * ((bitsPerSample + 7u) / 8u);
}

std::array<uint8_t, kWavHeaderSize> WavHeader(uint32_t sampleRate, uint16_t channels,
                                              uint16_t bitsPerSample, uint32_t dataBytes)
{
    std::array<uint8_t, kWavHeaderSize> h{};
    uint8_t *p = h.data();
    const uint32_t align = WavBlockAlign(channels, bitsPerSample);
    const uint32_t pad = dataBytes & 1u;
    const uint32_t riffSize = dataBytes > kWavMaxData ? 0xFFFFFFFFu : 36u + dataBytes + pad;
    const uint64_t byteRate = static_cast<uint64_t>(sampleRate) * align;
    p[0] = 'R', p[1] = 'I', p[2] = 'F', p[3] = 'F';
    Put32(p + 4, riffSize);
    p[8] = 'W', p[9] = 'A', p[10] = 'V', p[11] = 'E';
    p[12] = 'f', p[13] = 'm', p[14] = 't', p[15] = ' ';
    Put32(p + 16, 16);
    Put16(p + 20, 1); /* PCM */
    Put16(p + 22, channels);
    Put32(p + 24, sampleRate);
    Put32(p + 28, byteRate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(byteRate));
    Put16(p + 32, align);
    Put16(p + 34, bitsPerSample);
    p[36] = 'd', p[37] = 'a', p[38] = 't', p[39] = 'a';
    Put32(p + 40, dataBytes);
    return h;
}

bool WavFileWriter::Begin(std::FILE *file, bool raw, uint32_t sampleRate, uint16_t channels,
                          uint16_t bitsPerSample, bool canRewind)
{
    file_ = file;
    /* Standard output redirected to a file may already hold something. */
    start_ = canRewind ? Tell(file_) : 0;
    seekable_ = canRewind && start_ >= 0;
    raw_ = raw;
    sampleRate_ = sampleRate;
    channels_ = channels;
    bits_ = bitsPerSample;
    dataBytes_ = 0;
    full_ = false;
    if (raw_)
        return true;
    /* Sizes are zero until Finish; where Finish cannot rewind, they say
     * "unknown" from the start. */
    auto header = WavHeader(sampleRate, channels, bitsPerSample, 0);
    if (!seekable_)
        header = WavHeader(sampleRate, channels, bitsPerSample, kWavUnknownSize);
    return std::fwrite(header.data(), 1, header.size(), file_) == header.size();
}

bool WavFileWriter::Write(const void *data, uint32_t bytes)
{
    if (!file_)
        return false;
    if (bytes > kWavMaxData - dataBytes_) {
        full_ = true;
        return false;
    }
    if (bytes && std::fwrite(data, 1, bytes, file_) != bytes)
        return false;
    dataBytes_ += bytes;
    return true;
}

bool WavFileWriter::Finish()
{
    if (!file_)
        return false;
    bool ok = true;
    /* The pad byte belongs to a chunk of known size; after a "size unknown"
     * header a reader would take it for sound. */
    if (!raw_ && seekable_) {
        const int64_t end = start_ + kWavHeaderSize + dataBytes_;
        if (dataBytes_ & 1u)
            ok = std::fputc(0, file_) != EOF;
        const auto header = WavHeader(sampleRate_, channels_, bits_, dataBytes_);
        ok = ok && SeekTo(file_, start_) && std::fwrite(header.data(), 1, header.size(), file_) == header.size();
        /* Back to the end: standard output may be written on after us. */
        ok = ok && SeekTo(file_, end + (dataBytes_ & 1u));
    }
    ok = std::fflush(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}
