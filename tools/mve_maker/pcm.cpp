#include "pcm.h"

#include <algorithm>
#include <cmath>

namespace mvemaker {

int16_t Pcm::Sample16(size_t k) const
{
    if (bitsPerSample == 8)
        return int16_t((int(bytes[k]) - 128) * 256);
    return int16_t(uint16_t(bytes[2 * k] | (bytes[2 * k + 1] << 8)));
}

namespace {

void Put16(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
uint32_t Get16(const uint8_t *p) { return uint32_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t *p) { return Get16(p) | (Get16(p + 2) << 16); }

} // namespace

Pcm BuiltInTune(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample, uint32_t milliseconds)
{
    Pcm pcm;
    pcm.sampleRate = sampleRate;
    pcm.channels = channels;
    pcm.bitsPerSample = bitsPerSample;
    /* A rising and falling phrase of eighth notes at 150 beats a minute. */
    static const double kNotes[] = {261.63, 329.63, 392.00, 523.25, 440.00, 392.00, 349.23, 293.66};
    const double kPi = 3.14159265358979323846;
    const double noteSeconds = 0.2;
    const size_t frames = size_t(uint64_t(sampleRate) * milliseconds / 1000);
    pcm.bytes.reserve(frames * pcm.FrameBytes());
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / sampleRate;
        const size_t note = size_t(t / noteSeconds);
        const double inNote = t - note * noteSeconds;
        const double f = kNotes[note % 8];
        /* A quick attack and an exponential decay keep the steps in the
         * signal varied: DPCM must follow both jumps and slow slopes. */
        const double envelope = std::min(1.0, inNote / 0.005) * std::exp(-inNote * 6.0);
        for (uint16_t c = 0; c < channels; ++c) {
            const double harmony = c == 0 ? 1.5 : 1.25;
            double v = 0.55 * std::sin(2 * kPi * f * t) + 0.25 * std::sin(2 * kPi * f * harmony * t + c) +
                       0.08 * std::sin(2 * kPi * 55.0 * t);
            v *= envelope;
            if (bitsPerSample == 8) {
                pcm.bytes.push_back(uint8_t(std::lround(128 + v * 127)));
            } else {
                Put16(pcm.bytes, uint16_t(int16_t(std::lround(v * 32767))));
            }
        }
    }
    return pcm;
}

bool ParseWav(const std::vector<uint8_t> &file, Pcm &pcm, std::string &error)
{
    if (file.size() < 12 || std::string(file.begin(), file.begin() + 4) != "RIFF" ||
        std::string(file.begin() + 8, file.begin() + 12) != "WAVE") {
        error = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::string id(file.begin() + at, file.begin() + at + 4);
        const size_t size = Get32(&file[at + 4]);
        const size_t body = at + 8;
        if (size > file.size() - body) {
            if (id != "data") {
                error = "chunk '" + id + "' runs past the end of the file";
                return false;
            }
        }
        if (id == "fmt ") {
            if (size < 16) {
                error = "format chunk too short";
                return false;
            }
            const uint32_t tag = Get16(&file[body]);
            pcm.channels = uint16_t(Get16(&file[body + 2]));
            pcm.sampleRate = Get32(&file[body + 4]);
            pcm.bitsPerSample = uint16_t(Get16(&file[body + 14]));
            if (tag != 1) {
                error = "only uncompressed PCM WAV files can be used";
                return false;
            }
            if (pcm.channels != 1 && pcm.channels != 2) {
                error = "only mono or stereo sound can be stored";
                return false;
            }
            if (pcm.bitsPerSample != 8 && pcm.bitsPerSample != 16) {
                error = "only 8- or 16-bit samples can be stored";
                return false;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                error = "data chunk before the format chunk";
                return false;
            }
            const size_t available = std::min(size, file.size() - body);
            const size_t whole = available - available % pcm.FrameBytes();
            pcm.bytes.assign(file.begin() + body, file.begin() + body + whole);
            return true;
        }
        at = body + size + (size & 1);
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

std::vector<uint8_t> MakeWav(const Pcm &pcm)
{
    std::vector<uint8_t> out;
    const uint32_t dataSize = uint32_t(pcm.bytes.size());
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataSize);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, pcm.channels);
    Put32(out, pcm.sampleRate);
    Put32(out, uint32_t(pcm.sampleRate * pcm.FrameBytes()));
    Put16(out, uint32_t(pcm.FrameBytes()));
    Put16(out, pcm.bitsPerSample);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataSize);
    out.insert(out.end(), pcm.bytes.begin(), pcm.bytes.end());
    return out;
}

} // namespace mvemaker
