/* mve_maker: writes MVE movies with a known sound track, for playing and
 * for testing readers; see Usage() for the options. */
#include "mve_writer.h"
#include "pcm.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: mve_maker [options] -o OUT.mve\n"
    "       mve_maker join [--junk N] -o OUT.raw MOVIE...\n"
    "\n"
    "Writes an MVE movie whose sound track is a WAV file or the built-in tune.\n"
    "The movie has a video-initialisation chunk (timer, video buffers, video\n"
    "mode), an audio-initialisation chunk (audio format), one chunk per movie\n"
    "frame with that frame's audio-data opcode, a shutdown chunk and an end\n"
    "chunk.\n"
    "\n"
    "Sound:\n"
    "  --wav FILE            PCM WAV, 8 or 16 bits, mono or stereo, up to 65535 Hz\n"
    "  --tune                the built-in tune (default)\n"
    "  --rate HZ             tune sample rate (default 22050)\n"
    "  --channels N          tune channels, 1 or 2 (default 1)\n"
    "  --bits N              tune sample width, 8 or 16 (default 16)\n"
    "  --ms N                tune length in milliseconds (default 2000)\n"
    "Storage:\n"
    "  --dpcm                DPCM-compressed, decoding to 16 bits (default)\n"
    "  --pcm                 uncompressed, as the sound is stored\n"
    "Structure:\n"
    "  --fps N               movie frames per second; each frame chunk carries\n"
    "                        1/N s of sound (default 15)\n"
    "  --frames-per-chunk N  audio-data opcodes per frame chunk (default 1)\n"
    "  --chunk-type T        type of the frame chunks: 3 (default), 1, or\n"
    "                        'alternate' for 3, 1, 3, 1...\n"
    "  --zero-chunk-every N  a chunk with an empty body after every N frame chunks\n"
    "  --empty-frame-every N an audio-data opcode with no audio before every Nth\n"
    "  --no-video            leave out the per-frame video opcodes\n"
    "  --no-end-chunk        leave out the shutdown and end chunks\n"
    "  --truncate N          cut N bytes off the end of the movie\n"
    "  --size WxH            picture size, multiples of 8 (default 320x200)\n"
    "Outputs:\n"
    "  -o FILE               the movie\n"
    "  --expect FILE         also the sound track a decoder must deliver, as raw\n"
    "                        little-endian PCM (frames cut by --truncate left out)\n"
    "  --expect-wav FILE     the same as a WAV file\n"
    "\n"
    "join: writes the movies one after another into one raw file, with N bytes\n"
    "of junk (default 37) before, between and after them.\n"
    "\n"
    "Exit status: 0 done, 1 the movie cannot be made, 2 bad arguments.\n";

int Fail(int code, const std::string &message)
{
    std::fprintf(stderr, "mve_maker: %s\n", message.c_str());
    if (code == 2)
        std::fprintf(stderr, "Try mve_maker --help.\n");
    return code;
}

bool ReadFile(const std::string &path, std::vector<uint8_t> &out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteFile(const std::string &path, const std::vector<uint8_t> &data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

bool Number(const char *text, unsigned long &value)
{
    char *end = nullptr;
    if (!text || !*text)
        return false;
    value = std::strtoul(text, &end, 10);
    return *end == '\0';
}

/* Junk that cannot be mistaken for a movie: a fixed pseudo-random run. */
void AppendJunk(std::vector<uint8_t> &out, size_t n, uint32_t &seed)
{
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(uint8_t(seed >> 16));
    }
}

int Join(int argc, char **argv)
{
    std::string output;
    unsigned long junk = 37;
    std::vector<std::string> inputs;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (a == "--junk" && i + 1 < argc) {
            if (!Number(argv[++i], junk))
                return Fail(2, "--junk needs a byte count");
        } else if (!a.empty() && a[0] == '-')
            return Fail(2, "unknown option " + a);
        else
            inputs.push_back(a);
    }
    if (output.empty() || inputs.empty())
        return Fail(2, "join needs -o OUT and at least one movie");
    std::vector<uint8_t> out;
    uint32_t seed = 20240611u;
    AppendJunk(out, junk, seed);
    for (const std::string &path : inputs) {
        std::vector<uint8_t> movie;
        if (!ReadFile(path, movie))
            return Fail(1, "cannot read " + path);
        out.insert(out.end(), movie.begin(), movie.end());
        AppendJunk(out, junk, seed);
    }
    if (!WriteFile(output, out))
        return Fail(1, "cannot write " + output);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "join") == 0)
        return Join(argc, argv);

    std::string wavPath, output, expectPath, expectWavPath;
    unsigned long rate = 22050, channels = 1, bits = 16, ms = 2000;
    mvemaker::MovieOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long n = 0;
        auto number = [&](unsigned long &into) {
            if (!Number(next, into))
                return false;
            ++i;
            return true;
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--wav" && next) {
            wavPath = argv[++i];
        } else if (a == "--tune") {
            wavPath.clear();
        } else if (a == "--rate") {
            if (!number(rate))
                return Fail(2, "--rate needs a number");
        } else if (a == "--channels") {
            if (!number(channels))
                return Fail(2, "--channels needs a number");
        } else if (a == "--bits") {
            if (!number(bits))
                return Fail(2, "--bits needs a number");
        } else if (a == "--ms") {
            if (!number(ms))
                return Fail(2, "--ms needs a number");
        } else if (a == "--dpcm") {
            options.compressed = true;
        } else if (a == "--pcm") {
            options.compressed = false;
        } else if (a == "--fps") {
            if (!number(n) || n == 0)
                return Fail(2, "--fps needs a positive number");
            options.framesPerSecond = uint32_t(n);
        } else if (a == "--frames-per-chunk") {
            if (!number(n) || n == 0)
                return Fail(2, "--frames-per-chunk needs a positive number");
            options.audioFramesPerChunk = unsigned(n);
        } else if (a == "--chunk-type" && next) {
            const std::string t = argv[++i];
            if (t == "1")
                options.audioChunkType = mvemaker::kChunkAudioOnly;
            else if (t == "3")
                options.audioChunkType = mvemaker::kChunkVideo;
            else if (t == "alternate")
                options.alternateChunkTypes = true;
            else
                return Fail(2, "--chunk-type takes 1, 3 or alternate");
        } else if (a == "--zero-chunk-every") {
            if (!number(n))
                return Fail(2, "--zero-chunk-every needs a number");
            options.zeroLengthChunkEvery = unsigned(n);
        } else if (a == "--empty-frame-every") {
            if (!number(n))
                return Fail(2, "--empty-frame-every needs a number");
            options.emptyFrameEvery = unsigned(n);
        } else if (a == "--no-video") {
            options.videoOpcodes = false;
        } else if (a == "--no-end-chunk") {
            options.endChunk = false;
        } else if (a == "--truncate") {
            if (!number(n))
                return Fail(2, "--truncate needs a byte count");
            options.truncateBytes = n;
        } else if (a == "--size" && next) {
            unsigned w = 0, h = 0;
            if (std::sscanf(argv[++i], "%ux%u", &w, &h) != 2 || w > 0xFFFF || h > 0xFFFF)
                return Fail(2, "--size takes WIDTHxHEIGHT");
            options.width = uint16_t(w);
            options.height = uint16_t(h);
        } else if (a == "-o" && next) {
            output = argv[++i];
        } else if (a == "--expect" && next) {
            expectPath = argv[++i];
        } else if (a == "--expect-wav" && next) {
            expectWavPath = argv[++i];
        } else {
            return Fail(2, "unknown or incomplete option " + a);
        }
    }
    if (output.empty())
        return Fail(2, "no output file (-o)");

    mvemaker::Pcm pcm;
    if (!wavPath.empty()) {
        std::vector<uint8_t> wav;
        std::string error;
        if (!ReadFile(wavPath, wav))
            return Fail(1, "cannot read " + wavPath);
        if (!mvemaker::ParseWav(wav, pcm, error))
            return Fail(1, wavPath + ": " + error);
    } else {
        if (channels != 1 && channels != 2)
            return Fail(2, "--channels must be 1 or 2");
        if (bits != 8 && bits != 16)
            return Fail(2, "--bits must be 8 or 16");
        if (rate == 0 || rate > 0xFFFF)
            return Fail(2, "--rate must lie between 1 and 65535");
        pcm = mvemaker::BuiltInTune(uint32_t(rate), uint16_t(channels), uint16_t(bits), uint32_t(ms));
    }

    options.keepExpected = !expectPath.empty() || !expectWavPath.empty();
    mvemaker::Movie movie;
    std::string error;
    if (!mvemaker::BuildMovie(pcm, options, movie, error))
        return Fail(1, error);
    if (!WriteFile(output, movie.file))
        return Fail(1, "cannot write " + output);
    if (!expectPath.empty() && !WriteFile(expectPath, movie.expected))
        return Fail(1, "cannot write " + expectPath);
    if (!expectWavPath.empty()) {
        mvemaker::Pcm track;
        track.sampleRate = movie.sampleRate;
        track.channels = movie.channels;
        track.bitsPerSample = movie.bitsPerSample;
        track.bytes = movie.expected;
        if (!WriteFile(expectWavPath, mvemaker::MakeWav(track)))
            return Fail(1, "cannot write " + expectWavPath);
    }
    return 0;
}
