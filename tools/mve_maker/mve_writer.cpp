#include "mve_writer.h"

#include "dpcm_encoder.h"

#include <algorithm>

namespace mvemaker {

void PutU16(Bytes &out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(Bytes &out, uint32_t value)
{
    PutU16(out, uint16_t(value));
    PutU16(out, uint16_t(value >> 16));
}

Bytes FileHeader()
{
    static const char kSignature[] = "Interplay MVE File\x1A";
    Bytes out(kSignature, kSignature + 20); /* the literal's NUL is byte 19 */
    PutU16(out, 0x001A);
    PutU16(out, 0x0100);
    PutU16(out, 0x1133);
    return out;
}

void AppendOpcode(Bytes &body, uint8_t type, uint8_t version, const Bytes &payload)
{
    PutU16(body, uint16_t(payload.size()));
    body.push_back(type);
    body.push_back(version);
    body.insert(body.end(), payload.begin(), payload.end());
}

void AppendChunk(Bytes &file, uint16_t type, const Bytes &body)
{
    PutU16(file, uint16_t(body.size()));
    PutU16(file, type);
    file.insert(file.end(), body.begin(), body.end());
}

Bytes AudioFormatPayload(uint16_t flags, uint16_t sampleRate, uint32_t bufferBytes)
{
    Bytes out;
    PutU16(out, 0);
    PutU16(out, flags);
    PutU16(out, sampleRate);
    PutU32(out, bufferBytes);
    return out;
}

Bytes AudioFramePayload(uint16_t sequence, uint16_t streamMask, uint16_t decodedLength, const uint8_t *audio,
                        size_t size)
{
    Bytes out;
    PutU16(out, sequence);
    PutU16(out, streamMask);
    PutU16(out, decodedLength);
    out.insert(out.end(), audio, audio + size);
    return out;
}

namespace {

constexpr size_t kMaxRecord = 0xFFFF;

/* One movie frame's worth of sound, encoded. */
struct AudioFrame {
    Bytes audio;    /* what follows the frame header */
    Bytes delivered;/* what a decoder delivers for it */
    uint16_t decodedLength = 0;
};

AudioFrame EncodeFrame(const Pcm &pcm, size_t first, size_t frames, bool compressed)
{
    AudioFrame frame;
    const size_t frameBytes = pcm.FrameBytes();
    if (!compressed) {
        frame.audio.assign(pcm.bytes.begin() + first * frameBytes, pcm.bytes.begin() + (first + frames) * frameBytes);
        frame.delivered = frame.audio;
        frame.decodedLength = uint16_t(std::min(frame.audio.size(), kMaxRecord));
        return frame;
    }
    std::vector<int16_t> samples(frames * pcm.channels);
    for (size_t k = 0; k < samples.size(); ++k)
        samples[k] = pcm.Sample16(first * pcm.channels + k);
    std::vector<int16_t> decoded;
    frame.audio = EncodeDpcmFrame(samples.data(), frames, pcm.channels, &decoded);
    for (int16_t s : decoded)
        PutU16(frame.delivered, uint16_t(s));
    frame.decodedLength = uint16_t(std::min(frame.delivered.size(), kMaxRecord));
    return frame;
}

Bytes VideoInitChunk(const MovieOptions &o)
{
    Bytes body;
    /* The frame clock: subdivisions of a movie frame, in microseconds. */
    const uint32_t subdivisions = 8;
    Bytes timer;
    PutU32(timer, uint32_t((1000000u + o.framesPerSecond * subdivisions / 2) / (o.framesPerSecond * subdivisions)));
    PutU16(timer, uint16_t(subdivisions));
    AppendOpcode(body, kOpCreateTimer, 0, timer);
    /* Buffers in 8x8 blocks: width, height, count, 8-bit palette. */
    Bytes buffers;
    PutU16(buffers, uint16_t(o.width / 8));
    PutU16(buffers, uint16_t(o.height / 8));
    PutU16(buffers, 1);
    PutU16(buffers, 0);
    AppendOpcode(body, kOpInitVideoBuffers, 2, buffers);
    Bytes mode;
    PutU16(mode, o.width);
    PutU16(mode, o.height);
    PutU16(mode, 0);
    AppendOpcode(body, kOpInitVideoMode, 0, mode);
    AppendOpcode(body, kOpEndOfChunk, 0, {});
    return body;
}

/* A grey palette and a picture that copies the previous one: a movie frame
 * as cheap as it gets that video readers still take for one. */
void AppendVideoFrame(Bytes &body, const MovieOptions &o, bool first)
{
    if (first) {
        Bytes palette;
        PutU16(palette, 0);
        PutU16(palette, 256);
        for (int i = 0; i < 256; ++i)
            palette.insert(palette.end(), {uint8_t(i >> 2), uint8_t(i >> 2), uint8_t(i >> 2)});
        AppendOpcode(body, kOpSetPalette, 0, palette);
    }
    const size_t blocks = size_t(o.width / 8) * (o.height / 8);
    AppendOpcode(body, kOpDecodingMap, 0, Bytes((blocks + 1) / 2, 0));
    AppendOpcode(body, kOpVideoData, 2, Bytes(14, 0));
    Bytes show;
    PutU16(show, 0);
    PutU16(show, first ? 256 : 0);
    PutU16(show, 0);
    AppendOpcode(body, kOpShowFrame, 1, show);
}

} // namespace

bool BuildMovie(const Pcm &pcm, const MovieOptions &o, Movie &movie, std::string &error)
{
    if (pcm.channels != 1 && pcm.channels != 2) {
        error = "only mono or stereo sound can be stored";
        return false;
    }
    if (pcm.bitsPerSample != 8 && pcm.bitsPerSample != 16) {
        error = "only 8- or 16-bit samples can be stored";
        return false;
    }
    if (pcm.sampleRate == 0 || pcm.sampleRate > 0xFFFF) {
        error = "the sample rate must lie between 1 and 65535 Hz";
        return false;
    }
    if (o.framesPerSecond == 0 || o.audioFramesPerChunk == 0) {
        error = "frames per second and audio frames per chunk must be at least 1";
        return false;
    }
    if (o.width % 8 || o.height % 8 || !o.width || !o.height) {
        error = "the picture size must be a multiple of 8 pixels";
        return false;
    }

    movie = Movie();
    movie.sampleRate = pcm.sampleRate;
    movie.channels = pcm.channels;
    movie.bitsPerSample = o.compressed ? 16 : pcm.bitsPerSample;

    Bytes &file = movie.file;
    file = FileHeader();
    AppendChunk(file, kChunkVideoInit, VideoInitChunk(o));

    /* Audio frames: each movie frame carries 1/fps s of sound; the frame
     * boundaries fall on whole sample frames, rounded down.  They are
     * encoded one chunk at a time, so an hour-long movie needs no more
     * memory than its sound and its file. */
    const size_t totalFrames = pcm.Frames();
    auto frameStart = [&](size_t index) {
        return size_t(std::min<uint64_t>(totalFrames, uint64_t(index) * pcm.sampleRate / o.framesPerSecond));
    };
    size_t frameCount = 0;
    while (frameStart(frameCount) < totalFrames)
        ++frameCount;

    const uint16_t flags = uint16_t((pcm.channels == 2 ? kFlagStereo : 0) |
                                    (movie.bitsPerSample == 16 ? kFlag16Bit : 0) |
                                    (o.compressed ? kFlagCompressed : 0));
    const size_t perFrame = pcm.sampleRate / o.framesPerSecond + 1;
    Bytes audioInit;
    AppendOpcode(audioInit, kOpAudioFormat, 1,
                 AudioFormatPayload(flags, uint16_t(pcm.sampleRate),
                                    uint32_t(perFrame * pcm.channels * (movie.bitsPerSample / 8) * 2)));
    AppendOpcode(audioInit, kOpEndOfChunk, 0, {});
    AppendChunk(file, kChunkAudioInit, audioInit);

    /* Frame chunks.  The expected sound track keeps only frames that are
     * complete in the file after truncation: they are a prefix of those
     * placed, so each placed frame remembers where its payload ends and how
     * long the expected track was before it. */
    struct Placed {
        size_t end;           /* file offset just past the frame's payload */
        size_t expectedStart; /* movie.expected's size before the frame */
    };
    std::vector<Placed> placed;
    uint16_t sequence = 0;
    size_t chunkIndex = 0;
    for (size_t at = 0; at < frameCount; at += o.audioFramesPerChunk, ++chunkIndex) {
        uint8_t type = o.audioChunkType;
        if (o.alternateChunkTypes)
            type = chunkIndex % 2 ? kChunkAudioOnly : kChunkVideo;
        Bytes body;
        std::vector<Placed> inChunk; /* payload end within body */
        const size_t last = std::min(frameCount, at + o.audioFramesPerChunk);
        for (size_t f = at; f < last; ++f) {
            const size_t first = frameStart(f);
            const AudioFrame frame = EncodeFrame(pcm, first, frameStart(f + 1) - first, o.compressed);
            if (frame.audio.size() + 6 > kMaxRecord || frame.delivered.size() > kMaxRecord) {
                error = "an audio frame would exceed 64 KiB; use more frames per second";
                return false;
            }
            if (o.emptyFrameEvery && (f + 1) % o.emptyFrameEvery == 0)
                AppendOpcode(body, kOpAudioData, 0, AudioFramePayload(sequence++, 1, 0, nullptr, 0));
            AppendOpcode(body, kOpAudioData, 0,
                         AudioFramePayload(sequence++, 1, frame.decodedLength, frame.audio.data(), frame.audio.size()));
            inChunk.push_back({body.size(), movie.expected.size()});
            if (o.keepExpected)
                movie.expected.insert(movie.expected.end(), frame.delivered.begin(), frame.delivered.end());
        }
        if (o.videoOpcodes && type == kChunkVideo)
            AppendVideoFrame(body, o, chunkIndex == 0);
        AppendOpcode(body, kOpEndOfChunk, 0, {});
        if (body.size() > kMaxRecord) {
            error = "a chunk would exceed 64 KiB; use fewer audio frames per chunk";
            return false;
        }
        const size_t bodyStart = file.size() + 4;
        AppendChunk(file, type, body);
        for (const Placed &p : inChunk)
            placed.push_back({bodyStart + p.end, p.expectedStart});
        if (o.zeroLengthChunkEvery && (chunkIndex + 1) % o.zeroLengthChunkEvery == 0)
            AppendChunk(file, type, {});
    }

    if (o.endChunk) {
        /* Shutdown (end of stream), then the end-of-movie chunk. */
        Bytes shutdown;
        AppendOpcode(shutdown, kOpEndOfStream, 0, {});
        AppendOpcode(shutdown, kOpEndOfChunk, 0, {});
        AppendChunk(file, kChunkShutdown, shutdown);
        AppendChunk(file, kChunkEnd, {});
    }
    if (o.truncateBytes)
        file.resize(file.size() - std::min(o.truncateBytes, file.size()));

    for (const Placed &p : placed)
        if (p.end > file.size()) {
            movie.expected.resize(p.expectedStart);
            break;
        }
    return true;
}

} // namespace mvemaker
