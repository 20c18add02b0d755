#include "reliability_fixture.h"

#include "blb_encoder.h"
#include "mve_writer.h"
#include "pcm.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>

namespace {

std::vector<int16_t> Tune(size_t n)
{
    std::vector<int16_t> t(n);
    for (size_t i = 0; i < n; ++i)
        t[i] = static_cast<int16_t>((i * 97 % 360) * 40 - 7200 + (i % 7) * 13);
    return t;
}

Bytes Pcm16(const std::vector<int16_t> &samples)
{
    Bytes out;
    for (int16_t s : samples) {
        out.push_back(static_cast<uint8_t>(s));
        out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return out;
}

/* What a DW ADPCM stream decodes to: running 16-bit sum, shifted. */
Bytes DecodeDw(const Bytes &deltas, unsigned shift)
{
    std::vector<int16_t> out;
    uint16_t acc = 0;
    for (uint8_t d : deltas) {
        acc = static_cast<uint16_t>(acc + static_cast<int8_t>(d));
        out.push_back(blb::DwAdpcmOutput(acc, shift));
    }
    return Pcm16(out);
}

} // namespace

const std::vector<SampleMovie> &SampleMovies()
{
    static const std::vector<SampleMovie> movies = [] {
        struct Kind {
            const char *label;
            uint16_t channels, bits;
            bool compressed;
            uint32_t rate;
            int structure;
        } kinds[] = {{"dpcm mono", 1, 16, true, 11025, 0},   {"dpcm stereo", 2, 16, true, 8000, 1},
                     {"pcm 8-bit mono", 1, 8, false, 8000, 1}, {"pcm 16-bit stereo", 2, 16, false, 8000, 0},
                     {"dpcm stereo, no end", 2, 16, true, 11025, 2}, {"pcm 8-bit stereo", 2, 8, false, 11025, 2}};
        std::vector<SampleMovie> out;
        for (const Kind &k : kinds) {
            mvemaker::MovieOptions o;
            o.compressed = k.compressed;
            o.framesPerSecond = 20;
            o.audioFramesPerChunk = k.structure == 1 ? 2 : 1;
            o.alternateChunkTypes = k.structure != 0;
            o.zeroLengthChunkEvery = k.structure == 1 ? 3 : 0;
            o.emptyFrameEvery = k.structure == 1 ? 4 : 0;
            o.videoOpcodes = k.structure != 2;
            o.endChunk = k.structure != 2;
            mvemaker::Movie m;
            std::string error;
            const mvemaker::Pcm pcm = mvemaker::BuiltInTune(k.rate, k.channels, k.bits, 250);
            if (!mvemaker::BuildMovie(pcm, o, m, error))
                ADD_FAILURE() << k.label << ": " << error;
            out.push_back({k.label, m.file, m.expected});
        }
        return out;
    }();
    return movies;
}

const std::vector<SampleSound> &SampleSounds()
{
    static const std::vector<SampleSound> sounds = [] {
        const std::vector<int16_t> tune = Tune(3001);
        std::vector<SampleSound> out;
        const Bytes raw = blb::EncodeRawPcm(tune);
        out.push_back({"music.08", raw, raw});
        out.push_back({"odd.07", Bytes(raw.begin(), raw.begin() + 1001), Bytes(raw.begin(), raw.begin() + 1001)});
        for (unsigned shift : {0u, 2u, 4u}) {
            const Bytes deltas = blb::EncodeDwAdpcm(tune, shift);
            out.push_back({"sfx-" + std::to_string(shift) + ".07", deltas, DecodeDw(deltas, shift)});
        }
        return out;
    }();
    return sounds;
}

bool GuardedBuffer::GuardsIntact() const
{
    for (size_t i = 0; i < kGuard; ++i)
        if (bytes_[i] != kFill || bytes_[kGuard + count_ + i] != kFill)
            return false;
    return true;
}

bool GuardedBuffer::Untouched() const
{
    return std::all_of(bytes_.begin(), bytes_.end(), [](uint8_t b) { return b == kFill; });
}

void Reliability::SetUp()
{
    /* As the player does before any plug-in walks a movie: the walking
     * window's progress bar needs the class. */
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    window = std::make_unique<HostWindow>();
    ASSERT_NE(window->hwnd(), nullptr);
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof dir, dir);
    iniPath = std::string(dir) + "reliability_" + std::to_string(GetCurrentProcessId()) + ".ini";
    std::ofstream(iniPath) << "[ORV KORVAT Audio File Decoder]\r\nNoWalk=off\r\n";
    velmora = std::make_unique<LoadedPlugin>("velmora.dll", host.services(), window->hwnd(), iniPath.c_str());
    ASSERT_TRUE(velmora->ok()) << velmora->error();
    tasbrin = std::make_unique<LoadedPlugin>("tasbrin.dll", host.services(), window->hwnd());
    ASSERT_TRUE(tasbrin->ok()) << tasbrin->error();
    hook.reset(new AllocationHook({velmora->module(), tasbrin->module()}));
    ASSERT_TRUE(hook->ok()) << hook->error();
}

void Reliability::TearDown()
{
    for (StreamHandle *h : open)
        host.CloseStream(h);
    open.clear();
    hook.reset(); /* the entries go back before the modules go */
    tasbrin.reset();
    if (velmora)
        velmora->ForgetShutdown(); /* keep the INI file as written */
    velmora.reset();
    window.reset();
    DeleteFileA(iniPath.c_str());
}

StreamHandle *Reliability::StreamOn(ResourceItem *item)
{
    StreamHandle *h = host.OpenStream(item);
    open.push_back(h);
    return h;
}

StreamHandle *Reliability::MovieStream(const Bytes &file) { return StreamOn(host.AddItem(file, "movie.mve", "MVE")); }

StreamHandle *Reliability::SoundStream(const Bytes &resource, const std::string &dataString)
{
    return StreamOn(host.AddItem(resource, dataString, "BLB"));
}

void Reliability::CloseHostStream(StreamHandle *h)
{
    open.erase(std::remove(open.begin(), open.end(), h), open.end());
    host.CloseStream(h);
}

Bytes Reliability::Drain(AudioFilePlugin &p, StreamHandle *h, uint32_t count)
{
    Bytes out;
    GuardedBuffer buffer(count);
    for (int calls = 0; calls < 1000000; ++calls) {
        buffer.Refill();
        int32_t marker = 0;
        const unsigned long before = hook->Allocations();
        const uint32_t got = p.Read(h, buffer.data(), count, &marker);
        EXPECT_EQ(hook->Allocations(), before) << "Read allocated";
        EXPECT_LE(got, count);
        EXPECT_TRUE(buffer.GuardsIntact()) << "Read wrote outside the host's buffer";
        if (!got || got > count)
            break;
        out.insert(out.end(), buffer.data(), buffer.data() + got);
    }
    return out;
}

Bytes Reliability::Play(AudioFilePlugin &p, StreamHandle *h, uint32_t count)
{
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    EXPECT_TRUE(p.Open(h, &rate, &channels, &bits));
    Bytes out = Drain(p, h, count);
    EXPECT_TRUE(p.Close(h));
    return out;
}

void Reliability::Release(ResourceInfo *info)
{
    ASSERT_TRUE(hook->Holds(info)) << "a ResourceInfo the plug-in did not allocate";
    hook->HandOver(info);
    GlobalFree(info);
}
