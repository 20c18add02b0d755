/* The MVE movie file structure as far as its sound track needs it, the
 * per-stream record, and the two routines everything else in velmora walks
 * a movie with.
 *
 * A movie is a 26-byte header followed by chunks (u16 body length, u16 type);
 * a chunk body is a run of opcodes (u16 payload length, u8 type, u8 version).
 * Only the low byte of a chunk type is examined. */
#ifndef MVE_MVE_FORMAT_H
#define MVE_MVE_FORMAT_H

#include "common/plugin_api.h"

#include <stdint.h>

#define MVE_HEADER_SIZE 26u
#define MVE_SIGNATURE_SIZE 20u
#define MVE_HEADER_LENGTH_WORD 0x001Au
#define MVE_HEADER_VERSION_WORD 0x0100u
#define MVE_HEADER_CHECK_WORD 0x1133u

#define MVE_CHUNK_HEADER_SIZE 4u
#define MVE_OPCODE_HEADER_SIZE 4u

/* Chunk types (low byte). */
#define MVE_CHUNK_AUDIO_INIT 0u
#define MVE_CHUNK_AUDIO_ONLY 1u
#define MVE_CHUNK_VIDEO 3u
#define MVE_CHUNK_END 5u

/* Opcode types. */
#define MVE_OP_AUDIO_FORMAT 3u
#define MVE_OP_AUDIO_DATA 8u

/* The audio-format payload: u16 ignored, u16 flags, u16 rate, 4 bytes ignored. */
#define MVE_AUDIO_FORMAT_SIZE 10u
#define MVE_FLAG_STEREO 0x01u
#define MVE_FLAG_16BIT 0x02u
#define MVE_FLAG_COMPRESSED 0x04u

/* An audio-data payload starts with three u16: sequence number, stream
 * mask, decoded length in bytes.  The audio follows. */
#define MVE_FRAME_HEADER_SIZE 6u
#define MVE_FRAME_DECODED_LENGTH_AT 4u

/* chunkLength when no chunk is being searched. */
#define MVE_NO_CHUNK 0xFFFFFFFFu
/* frameRemaining once the sound track has run out. */
#define MVE_TRACK_EXHAUSTED 0xFFFFFFFFu
/* Size of the scratch block compressed bytes are read into. */
#define MVE_BATCH_BYTES 64000u

/* The signature every movie starts with (also the descriptor's signature). */
extern const uint8_t MVE_SIGNATURE[MVE_SIGNATURE_SIZE];

typedef struct MveAudioFormat {
    uint32_t sampleRate;
    uint16_t channels;      /* 1 or 2 */
    uint16_t bitsPerSample; /* 8 or 16, as the movie states it */
    uint32_t compressed;    /* MVE_FLAG_COMPRESSED or 0 */
} MveAudioFormat;

typedef struct MveStreamState {
    uint32_t compressed;
    uint16_t blockAlign;     /* bytes per delivered sample frame */
    uint16_t channels;
    uint16_t bitsPerSample;  /* of the delivered samples */
    uint32_t sampleRate;
    uint32_t chunkStart;     /* position just after the current chunk's header */
    uint32_t chunkLength;    /* body length of the current chunk, or MVE_NO_CHUNK */
    uint32_t frameRemaining; /* bytes of the open audio frame still to consume;
                                0 between frames, MVE_TRACK_EXHAUSTED at the end */
    int16_t predictor[2];    /* running DPCM sample per channel */
    uint8_t *buffer;         /* MVE_BATCH_BYTES scratch block, compressed only */
    /* Which channel the next compressed byte belongs to; kept across reads
     * so a batch that ends inside a sample pair resumes on the right side. */
    uint16_t channel;
    /* Bytes at the end of the open frame that carry no deliverable sample
     * (the unpaired last byte of a stereo frame), skipped when it closes. */
    uint16_t frameTail;
} MveStreamState;

/* The sample width the sound track is delivered in: compressed audio always
 * decodes to 16-bit samples, whatever width the flags state. */
inline uint16_t MveDeliveredBits(const MveAudioFormat &format)
{
    return format.compressed ? 16 : format.bitsPerSample;
}

/* Checks the header and reads the audio format from the first audio
 * initialisation chunk.  Moves the stream position; format is written only
 * on success. */
BOOL ParseMveAudioFormat(StreamHandle *h, MveAudioFormat *format);

/* True when the 26 bytes are an MVE header. */
BOOL IsMveHeader(const uint8_t *header);

/* Positions the stream at the payload of the next audio-data opcode of an
 * audio-carrying chunk and returns its payload length, or -1 when the sound
 * track has no more.  The caller consumes or skips exactly that payload
 * before the next call. */
int32_t NextAudioBlock(StreamHandle *h);

/* Reads count bytes at the stream position, however few each host read
 * delivers; fewer only where the stream runs dry. */
uint32_t HostReadFully(StreamHandle *h, void *buffer, uint32_t count);

/* Little-endian fields of the file. */
inline uint16_t MveU16(const uint8_t *p) { return (uint16_t)(p[0] | (p[1] << 8)); }

#endif
