/* GetLength: the sound track's play time, by walking the movie. */
#include "mve_entries.h"
#include "mve_length.h"
#include "mve_setting.h"
#include "mve_walking_window.h"

#include "common/plugin_module.h"

#define INT32_LIMIT 0x7FFFFFFFu

uint32_t MveLengthDivisor(const MveAudioFormat &format)
{
    /* At most 65535 Hz x 2 channels x 16 bits x 1 today, but the product
     * is checked rather than trusted to stay that small. */
    const uint32_t perSecond = format.sampleRate * format.channels;
    if (format.sampleRate == 0 || format.channels == 0 || perSecond / format.channels != format.sampleRate)
        return 0;
    const uint32_t bits = MveDeliveredBits(format);
    if (bits == 0 || perSecond > INT32_LIMIT / bits)
        return 0;
    return perSecond * bits;
}

int32_t WalkSoundTrack(StreamHandle *h, uint32_t divisor, HWND progress)
{
    const HostFileServices &host = Host();
    uint32_t total = 0;
    for (int32_t length = NextAudioBlock(h); length != -1; length = NextAudioBlock(h)) {
        if ((uint32_t)length < MVE_FRAME_HEADER_SIZE) {
            /* Too short to hold a frame header: it declares no sound, and
             * the bytes after it are the next opcode's, not its own. */
            host.Seek(h, length, HOST_SEEK_CUR);
            continue;
        }
        uint8_t frame[MVE_FRAME_HEADER_SIZE];
        if (HostReadFully(h, frame, MVE_FRAME_HEADER_SIZE) != MVE_FRAME_HEADER_SIZE)
            break;
        host.Seek(h, length - (int32_t)MVE_FRAME_HEADER_SIZE, HOST_SEEK_CUR);
        ShowWalkingProgress(progress, h);
        /* Each frame is rounded on its own, as it is played on its own.
         * With a nonzero divisor of at least 8 this is at most 65535000. */
        const uint32_t ms = (uint32_t)MulDiv(8000, MveU16(frame + MVE_FRAME_DECODED_LENGTH_AT), (int)divisor);
        if (ms > INT32_LIMIT - total)
            return -1; /* longer than a length can say */
        total += ms;
    }
    return (int32_t)total;
}

int32_t PLUGIN_CALL GetLength(ResourceItem *item)
{
    if (!item || noWalk)
        return -1;
    const HostFileServices &host = Host();
    StreamHandle *h = host.Open(item);
    if (!h)
        return -1;
    MveAudioFormat format;
    uint32_t divisor = 0;
    if (ParseMveAudioFormat(h, &format))
        divisor = MveLengthDivisor(format);
    MveStreamState *state = divisor ? static_cast<MveStreamState *>(GlobalAlloc(GPTR, sizeof(MveStreamState))) : nullptr;
    if (!state) {
        /* Not a movie with a sound track, a rate of 0 (frames would have
         * no duration to add up), or no memory. */
        host.Close(h);
        return -1;
    }
    h->decoderState = state;
    state->chunkStart = 0;
    state->chunkLength = MVE_NO_CHUNK;
    host.Seek(h, MVE_HEADER_SIZE, HOST_SEEK_SET);

    const WalkingWindow window = OpenWalkingWindow();
    const int32_t total = WalkSoundTrack(h, divisor, window.dialog);
    CloseWalkingWindow(window);

    h->decoderState = nullptr;
    GlobalFree(state);
    host.Close(h);
    return total;
}
