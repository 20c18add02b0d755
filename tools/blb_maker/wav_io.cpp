#include "wav_io.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace blb {
namespace {

uint32_t U32(const uint8_t *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t> &out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

} // namespace

bool ReadWav(const std::string &path, WavAudio &audio, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 || std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a RIFF WAVE file";
        return false;
    }
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    bool haveFormat = false;
    const uint8_t *data = nullptr;
    size_t dataSize = 0;
    // Chunks: 4-byte id, 32-bit size, body padded to an even length.
    for (size_t at = 12; at + 8 <= file.size();) {
        const uint8_t *chunk = file.data() + at;
        const size_t size = U32(chunk + 4);
        const size_t body = at + 8;
        const size_t available = file.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
            format = U16(chunk + 8);
            channels = U16(chunk + 10);
            rate = U32(chunk + 12);
            bits = U16(chunk + 22);
            if (format == 0xFFFE && size >= 26 && available >= 26)
                format = U16(chunk + 32); // extensible: the sub-format's tag
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = file.data() + body;
            dataSize = size < available ? size : available; // a truncated file keeps what it has
            break;
        }
        if (size > available)
            break;
        at = body + size + (size & 1);
    }
    if (!haveFormat || !data) {
        error = path + " has no format or no data chunk";
        return false;
    }
    if (format != 1 || (bits != 8 && bits != 16) || (channels != 1 && channels != 2) || rate == 0) {
        error = path + ": only 8- or 16-bit PCM, mono or stereo, is supported";
        return false;
    }
    audio.sampleRate = rate;
    audio.channels = channels;
    audio.samples.clear();
    const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
    const size_t count = dataSize / frameBytes * channels;
    audio.samples.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (bits == 8)
            audio.samples.push_back(static_cast<int16_t>((data[i] - 128) * 256));
        else
            audio.samples.push_back(static_cast<int16_t>(U16(data + 2 * i)));
    }
    return true;
}

bool WriteWav(const std::string &path, const WavAudio &audio)
{
    const uint32_t dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, audio.channels);
    Put32(out, audio.sampleRate);
    Put32(out, audio.sampleRate * audio.channels * 2);
    Put16(out, static_cast<uint16_t>(audio.channels * 2));
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (int16_t s : audio.samples)
        Put16(out, static_cast<uint16_t>(s));
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

} // namespace blb
