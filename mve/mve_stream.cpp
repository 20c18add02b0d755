/* Playback of a movie's sound track: the concatenation of the audio of every
 * audio-data opcode in the audio-carrying chunks, in file order, either
 * decoded from MVE DPCM into 16-bit samples or passed through as stored.
 *
 * Read never allocates.  Compressed bytes go through the stream's scratch
 * block in batches of at most MVE_BATCH_BYTES and are expanded straight into
 * the host's buffer; uncompressed bytes are read into the host's buffer
 * directly. */
#include "mve_dpcm.h"
#include "mve_entries.h"
#include "mve_format.h"

#include "common/plugin_module.h"

static MveStreamState *StateOf(StreamHandle *h) { return static_cast<MveStreamState *>(h->decoderState); }

BOOL PLUGIN_CALL Open(StreamHandle *h, uint32_t *sampleRate, uint16_t *channels, uint16_t *bitsPerSample)
{
    if (!h)
        return FALSE;
    MveAudioFormat format;
    if (!ParseMveAudioFormat(h, &format)) {
        SetLastError(PLUGIN_ERR_FORMAT);
        return FALSE;
    }
    /* Compressed audio always decodes to 16-bit samples, whatever width the
     * movie's flags state, so that is what the host is told it gets. */
    const uint16_t bits = format.compressed ? 16 : format.bitsPerSample;
    if (sampleRate)
        *sampleRate = format.sampleRate;
    if (channels)
        *channels = format.channels;
    if (bitsPerSample)
        *bitsPerSample = bits;

    MveStreamState *state = static_cast<MveStreamState *>(GlobalAlloc(GPTR, sizeof(MveStreamState)));
    h->decoderState = state;
    if (!state) {
        SetLastError(PLUGIN_ERR_STATE_ALLOC);
        return FALSE;
    }
    state->compressed = format.compressed;
    state->channels = format.channels;
    state->bitsPerSample = bits;
    state->blockAlign = (uint16_t)((bits / 8) * format.channels);
    state->sampleRate = format.sampleRate;
    state->predictor[0] = 0;
    state->predictor[1] = 0;
    if (format.compressed) {
        state->buffer = static_cast<uint8_t *>(GlobalAlloc(GPTR, MVE_BATCH_BYTES));
        if (!state->buffer) {
            GlobalFree(state);
            h->decoderState = nullptr;
            SetLastError(PLUGIN_ERR_BUFFER_ALLOC);
            return FALSE;
        }
    }
    state->chunkStart = 0;
    state->chunkLength = MVE_NO_CHUNK;
    state->frameRemaining = 0;
    Host().Seek(h, MVE_HEADER_SIZE, HOST_SEEK_SET);
    return TRUE;
}

/* Steps to the next audio-data opcode and prepares it; false once the sound
 * track has no more.  A compressed frame begins with one 16-bit start value
 * per channel, which are the frame's first samples: they are stored at out
 * and counted in *samples.  A frame too short for its header leaves
 * frameRemaining at 0, so the caller simply moves on to the next. */
static BOOL OpenFrame(StreamHandle *h, MveStreamState *state, uint8_t *out, uint32_t *samples)
{
    const HostFileServices &host = Host();
    if (state->frameTail) {
        host.Seek(h, state->frameTail, HOST_SEEK_CUR);
        state->frameTail = 0;
    }
    *samples = 0;
    const int32_t length = NextAudioBlock(h);
    if (length < 0) {
        state->frameRemaining = MVE_TRACK_EXHAUSTED;
        return FALSE;
    }
    const uint32_t startBytes = state->compressed ? state->blockAlign : 0;
    if ((uint32_t)length < MVE_FRAME_HEADER_SIZE + startBytes) {
        /* Too short for its header and start values: nothing in it is
         * audio, and the bytes after it belong to the next opcode. */
        host.Seek(h, length, HOST_SEEK_CUR);
        return TRUE;
    }
    host.Seek(h, MVE_FRAME_HEADER_SIZE, HOST_SEEK_CUR);
    state->frameRemaining = (uint32_t)length - MVE_FRAME_HEADER_SIZE;
    if (!state->compressed)
        return TRUE;

    uint8_t start[4];
    if (HostReadFully(h, start, startBytes) != startBytes) {
        /* The file ends inside the frame's start values. */
        state->frameRemaining = MVE_TRACK_EXHAUSTED;
        return FALSE;
    }
    for (uint32_t c = 0; c < state->channels; ++c) {
        state->predictor[c] = (int16_t)MveU16(start + 2 * c);
        out[2 * c] = start[2 * c];
        out[2 * c + 1] = start[2 * c + 1];
    }
    *samples = state->channels;
    state->frameRemaining -= startBytes;
    state->channel = 0;
    /* A stereo frame's last byte without a partner would leave every later
     * sample on the wrong side of the host's interleaving. */
    if (state->channels == 2) {
        state->frameTail = (uint16_t)(state->frameRemaining & 1);
        state->frameRemaining -= state->frameTail;
    }
    return TRUE;
}

uint32_t PLUGIN_CALL Read(StreamHandle *h, void *out, uint32_t byteCount, int32_t *marker)
{
    if (!h || !h->decoderState || !out)
        return 0;
    const HostFileServices &host = Host();
    if (host.IsEof(h))
        return 0;
    MveStreamState *state = StateOf(h);
    uint8_t *const dst = static_cast<uint8_t *>(out);
    const BOOL compressed = state->compressed != 0;

    /* want counts output samples for compressed streams (one byte each, at
     * most a scratch block per call) and bytes for uncompressed ones; either
     * way it is whole sample frames. */
    uint32_t want;
    if (compressed) {
        want = (byteCount & ~1u) >= 2 * MVE_BATCH_BYTES ? MVE_BATCH_BYTES : byteCount / 2;
        want -= want % state->channels;
    } else {
        want = byteCount - byteCount % state->blockAlign;
    }

    uint32_t produced = 0;
    while (want > 0 && state->frameRemaining != MVE_TRACK_EXHAUSTED) {
        if (state->frameRemaining == 0) {
            if (compressed && want < state->channels)
                break; /* no room for the next frame's start values */
            uint32_t samples;
            if (!OpenFrame(h, state, dst + produced, &samples))
                break;
            produced += 2 * samples;
            want -= samples;
            /* A frame with no audio after its header is passed over: the host
             * takes a 0 from Read as the end of the sound track. */
            continue;
        }

        const uint32_t n = want < state->frameRemaining ? want : state->frameRemaining;
        uint32_t got;
        if (compressed) {
            got = HostReadBytes(h, state->buffer, n);
            if (state->channels == 2)
                state->channel = (uint16_t)DecodeMveDpcmStereo(state->buffer, got, state->predictor,
                                                               state->channel, dst + produced);
            else
                DecodeMveDpcmMono(state->buffer, got, &state->predictor[0], dst + produced);
            produced += 2 * got;
        } else {
            got = HostReadBytes(h, dst + produced, n);
            produced += got;
        }
        state->frameRemaining -= got;
        want -= got;
        if (!got || host.IsEof(h))
            break;
    }

    if (marker)
        *marker = -1;
    return produced;
}

BOOL PLUGIN_CALL Close(StreamHandle *h)
{
    if (!h || !h->decoderState)
        return TRUE;
    MveStreamState *state = StateOf(h);
    if (state->buffer && GlobalFree(state->buffer))
        return FALSE;
    state->buffer = nullptr;
    if (GlobalFree(state))
        return FALSE;
    h->decoderState = nullptr;
    return TRUE;
}
