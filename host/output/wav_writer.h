/* The decoded PCM on disk or on standard output: a RIFF/WAVE file whose
 * sizes are put right when it is finished, or bare PCM.  Standard output
 * that is a pipe cannot be rewound, so there the header carries the "size
 * unknown" mark sox writes to pipes itself, which sox and ffmpeg read as
 * "to the end of the stream". */
#ifndef HOST_WAV_WRITER_H
#define HOST_WAV_WRITER_H

#include "player/wav_header.h"

#include <cstdint>
#include <cstdio>
#include <string>

class WavFileWriter {
public:
    /* Begins the sound on file, which the caller owns and closes.  raw:
     * bare PCM, no header.  canRewind: the header can be put right at the
     * end (a regular file not opened for appending); else its sizes say
     * "unknown" from the start. */
    bool Begin(std::FILE *file, bool raw, uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
               bool canRewind);
    /* false on a write error (errno set) or when the file would hold more
     * than a WAV file can (full() then). */
    bool Write(const void *data, uint32_t bytes);
    /* Fixes the header's sizes and flushes; false with errno set. */
    bool Finish();
    bool full() const { return full_; }
    uint32_t dataBytes() const { return dataBytes_; }

private:
    std::FILE *file_ = nullptr;
    bool seekable_ = false;
    bool full_ = false;
    int64_t start_ = 0; /* where the header is */
    bool raw_ = false;
    uint32_t sampleRate_ = 0;
    uint16_t channels_ = 0, bits_ = 0;
    uint32_t dataBytes_ = 0;
};

#endif
