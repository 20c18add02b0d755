/* velmora loaded as the player loads it, over the in-memory host, with a
 * real main window, and movies made in memory by the movie maker. */
#ifndef TESTS_WINDOWS_MVE_VELMORA_FIXTURE_H
#define TESTS_WINDOWS_MVE_VELMORA_FIXTURE_H

#include "host_window.h"
#include "loaded_plugin.h"
#include "mve_writer.h"
#include "pcm.h"
#include "support/memory_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#define VELMORA_NAME "ORV KORVAT Audio File Decoder"

using Bytes = std::vector<uint8_t>;

class Velmora : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<HostWindow>();
        ASSERT_NE(window->hwnd(), nullptr);
        plugin = std::make_unique<LoadedPlugin>(TEST_PLUGIN_DLL, host.services(), window->hwnd());
        ASSERT_TRUE(plugin->ok()) << plugin->error();
    }
    void TearDown() override
    {
        for (StreamHandle *h : opened)
            host.CloseStream(h);
        plugin.reset();
        window.reset();
    }

    AudioFilePlugin &P() { return plugin->plugin(); }

    StreamHandle *Stream(const Bytes &file)
    {
        StreamHandle *h = host.OpenStream(host.AddItem(file, "movie.mve", "MVE"));
        opened.push_back(h);
        return h;
    }

    /* Opens file and drains it in reads of byteCount, checking that no read
     * stores past its count. */
    Bytes Decode(const Bytes &file, uint32_t byteCount)
    {
        StreamHandle *h = Stream(file);
        Bytes out;
        EXPECT_TRUE(P().Open(h, &rate, &channels, &bits));
        std::vector<uint8_t> buffer(byteCount + 8, 0xEE);
        for (int guard = 0; guard < 1000000; ++guard) {
            int32_t marker = 0;
            const uint32_t got = P().Read(h, buffer.data(), byteCount, &marker);
            EXPECT_LE(got, byteCount);
            EXPECT_EQ(buffer[byteCount], 0xEE) << "Read stored past byteCount";
            if (!got)
                break;
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        }
        EXPECT_TRUE(P().Close(h));
        return out;
    }

    MemoryHost host;
    std::unique_ptr<HostWindow> window;
    std::unique_ptr<LoadedPlugin> plugin;
    std::vector<StreamHandle *> opened;
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
};

inline mvemaker::Movie MakeMovie(uint16_t channels, uint16_t bits, bool compressed, uint32_t ms = 300,
                                 uint32_t rate = 22050, mvemaker::MovieOptions options = {})
{
    options.compressed = compressed;
    mvemaker::Movie movie;
    std::string error;
    EXPECT_TRUE(mvemaker::BuildMovie(mvemaker::BuiltInTune(rate, channels, bits, ms), options, movie, error)) << error;
    return movie;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes S16(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        mvemaker::PutU16(out, uint16_t(int16_t(v)));
    return out;
}

inline std::vector<int16_t> Samples(const Bytes &pcm)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2)
        out.push_back(int16_t(uint16_t(pcm[i] | (pcm[i + 1] << 8))));
    return out;
}

/* Header, the audio-format chunk, then one type-3 chunk per list of audio
 * payloads (each an audio-data opcode after its frame header). */
inline Bytes HandMovie(uint16_t flags, const std::vector<std::vector<Bytes>> &chunks)
{
    Bytes file = mvemaker::FileHeader();
    Bytes init;
    mvemaker::AppendOpcode(init, mvemaker::kOpAudioFormat, 1, mvemaker::AudioFormatPayload(flags, 22050, 4096));
    mvemaker::AppendChunk(file, mvemaker::kChunkAudioInit, init);
    for (const std::vector<Bytes> &frames : chunks) {
        Bytes body;
        for (const Bytes &audio : frames)
            mvemaker::AppendOpcode(body, mvemaker::kOpAudioData, 0,
                                   mvemaker::AudioFramePayload(0, 1, 0, audio.data(), audio.size()));
        mvemaker::AppendChunk(file, mvemaker::kChunkVideo, body);
    }
    return file;
}

#endif
