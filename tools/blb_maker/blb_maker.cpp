// blb_maker: writes a BLB sound resource from a WAV file or the built-in tune.
//
//   blb_maker [--wav IN.wav | --tune SECONDS] (--raw | --shift N) [--also-wav REF.wav] OUT
//
// The player learns everything about a BLB sound from the resource's data
// string, so name OUT as it will be served: "music.08" for raw PCM,
// "music-4.08" for DW ADPCM with shift 4 (the shift is written in hex).
#include "audio_convert.h"
#include "blb_encoder.h"
#include "tune.h"
#include "wav_io.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

int Usage(const char *message)
{
    if (message)
        std::fprintf(stderr, "blb_maker: %s\n", message);
    std::fprintf(stderr,
                 "usage: blb_maker [--wav IN.wav | --tune SECONDS] (--raw | --shift N) [--also-wav REF.wav] OUT\n"
                 "  --wav IN.wav     8/16-bit PCM, mono or stereo, any rate (mixed to mono, resampled to 22050 Hz)\n"
                 "  --tune SECONDS   the built-in melody (default: 3 seconds)\n"
                 "  --raw            store raw 16-bit little-endian PCM\n"
                 "  --shift N        store DW ADPCM decoded with shift N (0..254)\n"
                 "  --also-wav REF   also write the source as encoded (22050 Hz mono 16-bit)\n");
    return 2;
}

bool ParseUnsigned(const char *text, unsigned long max, unsigned long &value)
{
    char *end = nullptr;
    value = std::strtoul(text, &end, 0);
    return *text && *end == '\0' && value <= max && text[0] != '-';
}

} // namespace

int main(int argc, char **argv)
{
    std::string wavIn, refOut, out;
    double seconds = 3.0;
    bool raw = false, haveShift = false;
    unsigned long shift = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--wav" && hasValue) {
            wavIn = argv[++i];
        } else if (arg == "--tune" && hasValue) {
            char *end = nullptr;
            seconds = std::strtod(argv[++i], &end);
            if (*end || !(seconds > 0 && seconds <= 3600))
                return Usage("--tune wants a number of seconds up to 3600");
        } else if (arg == "--raw") {
            raw = true;
        } else if (arg == "--shift" && hasValue) {
            if (!ParseUnsigned(argv[++i], 254, shift))
                return Usage("--shift wants a number from 0 to 254 (255 means raw PCM)");
            haveShift = true;
        } else if (arg == "--also-wav" && hasValue) {
            refOut = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage(("unknown or incomplete option " + arg).c_str());
        } else if (out.empty()) {
            out = arg;
        } else {
            return Usage("more than one output file");
        }
    }
    if (out.empty())
        return Usage("no output file");
    if (raw == haveShift)
        return Usage("choose one of --raw and --shift N");

    std::vector<int16_t> samples;
    if (!wavIn.empty()) {
        blb::WavAudio audio;
        std::string error;
        if (!blb::ReadWav(wavIn, audio, error)) {
            std::fprintf(stderr, "blb_maker: %s\n", error.c_str());
            return 3;
        }
        samples = blb::ToBlbFormat(audio);
    } else {
        samples = blb::MakeTune(seconds);
    }

    const std::vector<uint8_t> resource =
        raw ? blb::EncodeRawPcm(samples) : blb::EncodeDwAdpcm(samples, static_cast<unsigned>(shift));
    std::ofstream file(out, std::ios::binary);
    file.write(reinterpret_cast<const char *>(resource.data()), static_cast<std::streamsize>(resource.size()));
    if (!file) {
        std::fprintf(stderr, "blb_maker: cannot write %s\n", out.c_str());
        return 1;
    }
    if (!refOut.empty()) {
        blb::WavAudio ref;
        ref.sampleRate = blb::kSampleRate;
        ref.channels = 1;
        ref.samples = samples;
        if (!blb::WriteWav(refOut, ref)) {
            std::fprintf(stderr, "blb_maker: cannot write %s\n", refOut.c_str());
            return 1;
        }
    }
    std::printf("%s: %zu samples (%.3f s), %zu bytes, %s\n", out.c_str(), samples.size(),
                static_cast<double>(samples.size()) / blb::kSampleRate, resource.size(),
                raw ? "raw PCM" : ("DW ADPCM shift " + std::to_string(shift)).c_str());
    return 0;
}
