/* Shared pieces of velmora's native tests: a fixture that plugs the
 * in-memory host into the descriptor, movie building shorthands and a
 * reader that drains a stream the way the player does. */
#ifndef TESTS_NATIVE_MVE_MVE_TEST_SUPPORT_H
#define TESTS_NATIVE_MVE_MVE_TEST_SUPPORT_H

#include "common/native/win32_standin.h"
#include "common/plugin_module.h"
#include "mve_writer.h"
#include "support/memory_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace mvetest {

using mvemaker::Bytes;

class MveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_plugin.hostServices = host.services();
        standin::FailAllocationAfter(0);
        liveAtStart = standin::LiveBlocks();
    }
    void TearDown() override
    {
        for (StreamHandle *h : opened)
            host.CloseStream(h);
        standin::FailAllocationAfter(0);
        g_plugin.hostServices = nullptr;
    }

    /* A host stream on data, positioned at 0, before Open. */
    StreamHandle *Stream(const Bytes &data)
    {
        StreamHandle *h = host.OpenStream(host.AddItem(data, "movie.mve", "MVE"));
        opened.push_back(h);
        return h;
    }

    MemoryHost host;
    std::vector<StreamHandle *> opened;
    long liveAtStart = 0;
};

/* Movie shorthands: header, chunk, opcode. */
inline Bytes Header() { return mvemaker::FileHeader(); }
inline void Chunk(Bytes &file, uint16_t type, const Bytes &body) { mvemaker::AppendChunk(file, type, body); }
inline Bytes Op(uint8_t type, const Bytes &payload, uint8_t version = 0)
{
    Bytes out;
    mvemaker::AppendOpcode(out, type, version, payload);
    return out;
}
inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline Bytes FormatOp(uint16_t flags, uint16_t rate = 22050)
{
    return Op(mvemaker::kOpAudioFormat, mvemaker::AudioFormatPayload(flags, rate, 4096), 1);
}
/* An audio-data opcode: the frame header then the given audio bytes. */
inline Bytes FrameOp(const Bytes &audio, uint16_t decodedLength = 0)
{
    return Op(mvemaker::kOpAudioData, mvemaker::AudioFramePayload(0, 1, decodedLength, audio.data(), audio.size()));
}
inline Bytes S16(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        mvemaker::PutU16(out, uint16_t(int16_t(v)));
    return out;
}
/* A movie: header, an audio-init chunk with the format, then one chunk of
 * the given type per body. */
inline Bytes SimpleMovie(uint16_t flags, const std::vector<Bytes> &frameChunkBodies, uint16_t type = 3)
{
    Bytes file = Header();
    Chunk(file, 0, FormatOp(flags));
    for (const Bytes &body : frameChunkBodies)
        Chunk(file, type, body);
    return file;
}

/* Drains a stream in reads of byteCount; each read must stay in bounds. */
inline Bytes ReadAll(StreamHandle *h, uint32_t byteCount)
{
    Bytes out;
    std::vector<uint8_t> buffer(byteCount + 16, 0xEE);
    for (int guard = 0; guard < 1000000; ++guard) {
        int32_t marker = 0;
        const uint32_t got = g_plugin.Read(h, buffer.data(), byteCount, &marker);
        EXPECT_LE(got, byteCount);
        for (size_t i = byteCount; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], 0xEE) << "Read wrote past byteCount";
        if (got == 0)
            break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    }
    return out;
}

inline std::vector<int16_t> Samples(const Bytes &pcm)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2)
        out.push_back(int16_t(uint16_t(pcm[i] | (pcm[i + 1] << 8))));
    return out;
}

} // namespace mvetest

#endif
