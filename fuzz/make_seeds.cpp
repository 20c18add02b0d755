/* Seed inputs for every fuzz target, made with the movie and sound makers:
 * small valid movies of each audio kind and structure, and BLB sounds raw
 * and DW ADPCM, each behind the control bytes its target expects.
 *
 *   make_seeds OUTDIR     writes OUTDIR/<target>/<n>.seed */
#include "blb_encoder.h"
#include "mve_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

void Write(const fs::path &dir, int n, const Bytes &control, const Bytes &body)
{
    fs::create_directories(dir);
    std::ofstream out(dir / (std::to_string(n) + ".seed"), std::ios::binary);
    out.write(reinterpret_cast<const char *>(control.data()), std::streamsize(control.size()));
    out.write(reinterpret_cast<const char *>(body.data()), std::streamsize(body.size()));
}

/* The 16 control bytes of the stream targets: host behaviour, container
 * choice, failAfter, six request sizes. */
Bytes Control(uint8_t behaviour, std::initializer_list<uint16_t> sizes)
{
    Bytes c = {behaviour, 0, 0x40, 0x00};
    for (uint16_t s : sizes)
        mvemaker::PutU16(c, s);
    c.resize(16, 0);
    return c;
}

/* The shorter control blocks: velmora_length (4 bytes) and the
 * recognisers (8 bytes, the last four a start offset). */
Bytes ShortControl(size_t length, uint32_t startOffset = 0)
{
    Bytes c = {0, 0, 0x40, 0x00};
    mvemaker::PutU32(c, startOffset);
    c.resize(length);
    return c;
}

std::vector<mvemaker::Movie> Movies()
{
    struct Kind {
        uint16_t channels, bits;
        bool compressed;
        uint32_t rate;
    } kinds[] = {{1, 16, true, 8000}, {2, 16, true, 11025}, {1, 8, false, 8000}, {2, 16, false, 8000}};
    std::vector<mvemaker::Movie> movies;
    for (const Kind &k : kinds) {
        for (int structure = 0; structure < 2; ++structure) {
            const mvemaker::Pcm pcm = mvemaker::BuiltInTune(k.rate, k.channels, k.compressed ? 16 : k.bits, 60);
            mvemaker::MovieOptions o;
            o.compressed = k.compressed;
            o.framesPerSecond = 30;
            o.videoOpcodes = structure == 0;
            o.audioFramesPerChunk = structure ? 2 : 1;
            o.alternateChunkTypes = structure == 1;
            o.zeroLengthChunkEvery = structure ? 1 : 0;
            o.emptyFrameEvery = structure ? 2 : 0;
            o.endChunk = structure == 0;
            mvemaker::Movie m;
            std::string error;
            if (mvemaker::BuildMovie(pcm, o, m, error))
                movies.push_back(m);
            else
                std::fprintf(stderr, "skipped a movie: %s\n", error.c_str());
        }
    }
    return movies;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    int n = 0;
    for (const mvemaker::Movie &m : Movies()) {
        Write(out / "velmora_stream", n, Control(0, {4096, 4, 6, 1000, 0x8000 | 20000, 3}), m.file);
        Write(out / "velmora_stream", n + 100, Control(0x01, {7, 4, 4, 4, 4, 5}), m.file);
        Write(out / "velmora_length", n, ShortControl(4), m.file);
        Write(out / "velmora_identify", n, ShortControl(8), m.file);
        /* Scan: a movie at the start offset, another behind it. */
        Bytes twice = Bytes(5, 0x55);
        twice.insert(twice.end(), m.file.begin(), m.file.end());
        twice.insert(twice.end(), m.file.begin(), m.file.end());
        Write(out / "velmora_scan", n, ShortControl(8, 5), twice);
        ++n;
    }

    const std::vector<int16_t> tune = [] {
        std::vector<int16_t> t(1500);
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = int16_t((i * 37 % 200) * 60 - 6000);
        return t;
    }();
    const struct {
        const char *name;
        bool adpcm;
        unsigned shift;
    } sounds[] = {{"music-4.08", false, 0}, {"sfx-2.07", true, 2}, {"x.y-0.107", true, 0}, {"a.7", false, 0}};
    n = 0;
    for (const auto &s : sounds) {
        Bytes body(s.name, s.name + std::string(s.name).size() + 1);
        const Bytes data = s.adpcm ? blb::EncodeDwAdpcm(tune, s.shift) : blb::EncodeRawPcm(tune);
        body.insert(body.end(), data.begin(), data.end());
        Write(out / "tasbrin_stream", n, Control(0, {4096, 3, 2, 1, 0x8000 | 9000, 999}), body);
        Write(out / "tasbrin_length", n, Control(0, {}), body);
        Write(out / "tasbrin_identify", n, Control(0, {}), body);
        ++n;
    }
    return 0;
}
