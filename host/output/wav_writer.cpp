#include "host/output/wav_writer.h"

#include "host/system/file_system.h"

#include <cstdio>

bool WavFileWriter::Begin(std::FILE *file, bool raw, uint32_t sampleRate, uint16_t channels,
                          uint16_t bitsPerSample, bool canRewind)
{
    file_ = file;
    /* Standard output redirected to a file may already hold something. */
    start_ = canRewind ? TellFile(file_) : 0;
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
        ok = ok && SeekFile(file_, start_) && std::fwrite(header.data(), 1, header.size(), file_) == header.size();
        /* Back to the end: standard output may be written on after us. */
        ok = ok && SeekFile(file_, end + (dataBytes_ & 1u));
    }
    ok = std::fflush(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}
