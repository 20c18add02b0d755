/* Writing MVE movies whose sound track is known exactly: the file
 * structure's building blocks, and a movie assembler that lays out a PCM
 * sound track the way real movies carry it (video and audio initialisation,
 * one chunk per movie frame with that frame's audio, an end chunk), with
 * switches for the unusual structures a reader must survive. */
#ifndef TOOLS_MVE_MAKER_MVE_WRITER_H
#define TOOLS_MVE_MAKER_MVE_WRITER_H

#include "pcm.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mvemaker {

using Bytes = std::vector<uint8_t>;

/* --- building blocks ------------------------------------------------------ */

void PutU16(Bytes &out, uint16_t value);
void PutU32(Bytes &out, uint32_t value);

/* The 26-byte file header. */
Bytes FileHeader();
/* Appends an opcode (u16 payload length, u8 type, u8 version, payload). */
void AppendOpcode(Bytes &body, uint8_t type, uint8_t version, const Bytes &payload);
/* Appends a chunk (u16 body length, u16 type, body). */
void AppendChunk(Bytes &file, uint16_t type, const Bytes &body);

/* Audio-format flags. */
constexpr uint16_t kFlagStereo = 0x01, kFlag16Bit = 0x02, kFlagCompressed = 0x04;
/* Opcode 3's version-1 payload: u16 0, u16 flags, u16 rate, u32 buffer size. */
Bytes AudioFormatPayload(uint16_t flags, uint16_t sampleRate, uint32_t bufferBytes);
/* Opcode 8's payload: sequence, stream mask, decoded length, then the audio. */
Bytes AudioFramePayload(uint16_t sequence, uint16_t streamMask, uint16_t decodedLength, const uint8_t *audio,
                        size_t size);

/* The chunk and opcode types the assembler writes. */
enum : uint8_t {
    kChunkAudioInit = 0,
    kChunkAudioOnly = 1,
    kChunkVideoInit = 2,
    kChunkVideo = 3,
    kChunkShutdown = 4,
    kChunkEnd = 5,
};
enum : uint8_t {
    kOpEndOfStream = 0,
    kOpEndOfChunk = 1,
    kOpCreateTimer = 2,
    kOpAudioFormat = 3,
    kOpStartAudio = 4,
    kOpInitVideoBuffers = 5,
    kOpShowFrame = 7,
    kOpAudioData = 8,
    kOpAudioSilence = 9,
    kOpInitVideoMode = 0x0A,
    kOpSetPalette = 0x0C,
    kOpDecodingMap = 0x0F,
    kOpVideoData = 0x11,
};

/* --- movies --------------------------------------------------------------- */

struct MovieOptions {
    bool compressed = true;          /* DPCM (16-bit output) or PCM as the source stores it */
    uint32_t framesPerSecond = 15;   /* movie frames; each carries 1/fps s of sound */
    unsigned audioFramesPerChunk = 1;/* several audio-data opcodes in one frame chunk */
    uint8_t audioChunkType = kChunkVideo;   /* kChunkVideo or kChunkAudioOnly */
    bool alternateChunkTypes = false;       /* alternate types 3 and 1 */
    unsigned zeroLengthChunkEvery = 0;      /* a body-less chunk after every N frame chunks */
    unsigned emptyFrameEvery = 0;           /* an audio-data opcode without audio before every Nth */
    bool videoOpcodes = true;        /* per-frame video opcodes, as real movies have */
    bool endChunk = true;            /* the shutdown chunk and the type-5 chunk of length 0 */
    size_t truncateBytes = 0;        /* cut this many bytes off the end */
    bool keepExpected = true;        /* fill Movie::expected (as much memory again as the sound) */
    uint16_t width = 320, height = 200;
};

struct Movie {
    Bytes file;
    /* The sound track a decoder must deliver: for DPCM the 16-bit samples the
     * encoder's own reconstruction gives, for PCM the stored bytes; only
     * the frames that survive truncation whole.  Empty unless
     * MovieOptions::keepExpected. */
    Bytes expected;
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0; /* of the delivered sound */
};

/* Lays out pcm as a movie; false with a reason when it cannot be stored
 * (a frame or chunk over 64 KiB, a rate over 65535 Hz, ...). */
bool BuildMovie(const Pcm &pcm, const MovieOptions &options, Movie &movie, std::string &error);

} // namespace mvemaker

#endif
