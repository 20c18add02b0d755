/* Open, Read and Close: raw 16-bit PCM passed through, or DW ADPCM decoded
 * batch by batch through a scratch block allocated once per stream. */
#include "blb_adpcm.h"
#include "blb_entry.h"
#include "blb_name.h"
#include "blb_stream.h"

#include "common/plugin_module.h"

namespace {

/* Deltas to fetch for the bytes still wanted: one delta per 16-bit sample,
 * at most one batch, whole frames only. */
uint32_t BatchDeltas(uint32_t remaining, uint16_t blockAlign)
{
    uint32_t samples = (remaining & ~1u) >= 2 * BLB_BATCH_DELTAS ? BLB_BATCH_DELTAS : remaining / 2;
    if (blockAlign >= 2)
        samples -= samples % (blockAlign / 2u);
    return samples;
}

uint32_t ReadDwAdpcm(StreamHandle *h, BlbSoundState *s, uint8_t *out, uint32_t byteCount)
{
    uint32_t written = 0;
    uint32_t remaining = byteCount;
    uint32_t samples = BatchDeltas(remaining, s->blockAlign);
    if (Host().IsEof(h))
        return 0;
    while (samples > 0) {
        /* got never exceeds samples, so the output stays within byteCount
         * and the scratch block within its size. */
        const uint32_t got = HostReadBytes(h, s->buffer, samples);
        if (got == 0)
            break;
        DecodeDwAdpcm(s->buffer, got, &s->accumulator, s->shift, out + written);
        written += 2 * got;
        remaining -= 2 * got;
        samples = BatchDeltas(remaining, s->blockAlign);
        if (Host().IsEof(h))
            break;
    }
    return written;
}

} // namespace

BOOL PLUGIN_CALL Open(StreamHandle *h, uint32_t *sampleRate, uint16_t *channels,
                      uint16_t *bitsPerSample)
{
    if (!h || !h->item)
        return FALSE;
    const char *dataString = h->item->dataString;
    if (!IsBlbSoundResource(h, dataString, nullptr)) {
        SetLastError(PLUGIN_ERR_FORMAT);
        return FALSE;
    }
    if (sampleRate)
        *sampleRate = BLB_SAMPLE_RATE;
    if (channels)
        *channels = BLB_CHANNELS;
    if (bitsPerSample)
        *bitsPerSample = BLB_BITS_PER_SAMPLE;
    const uint8_t shift = ParseBlbShift(dataString);
    Host().Seek(h, 0, HOST_SEEK_SET);

    BlbSoundState *s = static_cast<BlbSoundState *>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(BlbSoundState)));
    h->decoderState = s;
    if (!s) {
        SetLastError(PLUGIN_ERR_STATE_ALLOC);
        return FALSE;
    }
    if (shift != BLB_SHIFT_RAW) {
        s->buffer = static_cast<uint8_t *>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, BLB_BATCH_DELTAS));
        if (!s->buffer) {
            GlobalFree(s);
            h->decoderState = nullptr;
            SetLastError(PLUGIN_ERR_BUFFER_ALLOC);
            return FALSE;
        }
    }
    s->channels = BLB_CHANNELS;
    s->bitsPerSample = BLB_BITS_PER_SAMPLE;
    s->blockAlign = static_cast<uint16_t>(s->bitsPerSample / 8 * s->channels);
    s->sampleRate = BLB_SAMPLE_RATE;
    s->shift = shift;
    s->accumulator = 0;
    return TRUE;
}

uint32_t PLUGIN_CALL Read(StreamHandle *h, void *out, uint32_t byteCount, int32_t *marker)
{
    if (!h || !h->decoderState || Host().IsEof(h))
        return 0;
    BlbSoundState *s = static_cast<BlbSoundState *>(h->decoderState);
    uint32_t written;
    if (s->shift == BLB_SHIFT_RAW)
        written = HostReadBytes(h, out, byteCount - byteCount % s->blockAlign);
    else
        written = ReadDwAdpcm(h, s, static_cast<uint8_t *>(out), byteCount);
    if (marker)
        *marker = -1;
    return written;
}

BOOL PLUGIN_CALL Close(StreamHandle *h)
{
    if (!h || !h->decoderState)
        return TRUE;
    BlbSoundState *s = static_cast<BlbSoundState *>(h->decoderState);
    if (s->buffer) {
        if (GlobalFree(s->buffer) != nullptr)
            return FALSE; /* the state stays, still owning its buffer */
        s->buffer = nullptr;
    }
    if (GlobalFree(s) != nullptr)
        return FALSE;
    h->decoderState = nullptr; /* a second Close finds nothing to free */
    return TRUE;
}
