#include "mve_format.h"

#include "common/plugin_module.h"

const uint8_t MVE_SIGNATURE[MVE_SIGNATURE_SIZE] = {
    'I', 'n', 't', 'e', 'r', 'p', 'l', 'a', 'y', ' ', 'M', 'V', 'E', ' ', 'F', 'i', 'l', 'e', 0x1A, 0x00};

BOOL IsMveHeader(const uint8_t *header)
{
    for (uint32_t i = 0; i < MVE_SIGNATURE_SIZE; ++i)
        if (header[i] != MVE_SIGNATURE[i])
            return FALSE;
    return MveU16(header + 20) == MVE_HEADER_LENGTH_WORD && MveU16(header + 22) == MVE_HEADER_VERSION_WORD &&
           MveU16(header + 24) == MVE_HEADER_CHECK_WORD;
}

uint32_t HostReadFully(StreamHandle *h, void *buffer, uint32_t count)
{
    uint8_t *to = static_cast<uint8_t *>(buffer);
    uint32_t total = 0;
    while (total < count) {
        const uint32_t got = HostReadBytes(h, to + total, count - total);
        if (!got)
            break;
        total += got;
    }
    return total;
}

/* Reads a chunk or opcode header; both are 4 bytes starting with a u16
 * length.  False when fewer than 4 bytes came. */
static BOOL ReadRecordHeader(StreamHandle *h, uint8_t header[4])
{
    return HostReadFully(h, header, 4) == 4;
}

BOOL ParseMveAudioFormat(StreamHandle *h, MveAudioFormat *format)
{
    if (!h)
        return FALSE;
    const HostFileServices &host = Host();

    uint8_t header[MVE_HEADER_SIZE];
    host.Seek(h, 0, HOST_SEEK_SET);
    if (HostReadFully(h, header, MVE_HEADER_SIZE) != MVE_HEADER_SIZE || !IsMveHeader(header))
        return FALSE;

    /* Only the first audio initialisation chunk counts. */
    uint8_t record[4];
    for (;;) {
        if (host.IsEof(h))
            return FALSE;
        if (!ReadRecordHeader(h, record))
            return FALSE;
        if (record[2] == MVE_CHUNK_AUDIO_INIT)
            break;
        host.Seek(h, MveU16(record), HOST_SEEK_CUR);
    }

    const uint32_t chunkEnd = host.Tell(h) + MveU16(record);
    if (host.IsEof(h))
        return FALSE;
    for (;;) {
        if (host.Tell(h) >= chunkEnd)
            return FALSE;
        if (!ReadRecordHeader(h, record))
            return FALSE;
        if (record[2] == MVE_OP_AUDIO_FORMAT)
            break;
        host.Seek(h, MveU16(record), HOST_SEEK_CUR);
        if (host.IsEof(h))
            return FALSE;
    }

    uint8_t payload[MVE_AUDIO_FORMAT_SIZE];
    if (HostReadFully(h, payload, MVE_AUDIO_FORMAT_SIZE) != MVE_AUDIO_FORMAT_SIZE)
        return FALSE;
    const uint8_t flags = payload[2];
    format->channels = (flags & MVE_FLAG_STEREO) ? 2 : 1;
    format->bitsPerSample = (flags & MVE_FLAG_16BIT) ? 16 : 8;
    format->compressed = flags & MVE_FLAG_COMPRESSED;
    format->sampleRate = MveU16(payload + 4);
    return TRUE;
}

/* Moves to the body of the next chunk of type 1 or 3; false when there is
 * none (the file ends or a chunk header is cut short). */
static BOOL EnterNextAudioChunk(StreamHandle *h, MveStreamState *state)
{
    const HostFileServices &host = Host();
    uint8_t record[4];
    while (!host.IsEof(h)) {
        if (!ReadRecordHeader(h, record))
            break;
        if (record[2] == MVE_CHUNK_AUDIO_ONLY || record[2] == MVE_CHUNK_VIDEO) {
            state->chunkLength = MveU16(record);
            state->chunkStart = host.Tell(h);
            return TRUE;
        }
        host.Seek(h, MveU16(record), HOST_SEEK_CUR);
    }
    state->chunkLength = MVE_NO_CHUNK;
    return FALSE;
}

int32_t NextAudioBlock(StreamHandle *h)
{
    if (!h || !h->decoderState)
        return -1;
    const HostFileServices &host = Host();
    if (host.IsEof(h))
        return -1;
    MveStreamState *state = static_cast<MveStreamState *>(h->decoderState);

    for (;;) {
        if (state->chunkLength == MVE_NO_CHUNK && !EnterNextAudioChunk(h, state))
            return -1;

        /* Search the current chunk from where the last opcode ended.  The
         * end is computed in 32 bits like every file offset. */
        const uint32_t end = state->chunkStart + state->chunkLength;
        uint8_t record[4];
        if (!host.IsEof(h)) {
            while (host.Tell(h) < end && ReadRecordHeader(h, record)) {
                if (record[2] == MVE_OP_AUDIO_DATA)
                    return MveU16(record);
                host.Seek(h, MveU16(record), HOST_SEEK_CUR);
                if (host.IsEof(h))
                    break;
            }
        }
        state->chunkLength = MVE_NO_CHUNK;
    }
}
