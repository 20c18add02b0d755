#include "tune.h"

#include "blb_encoder.h"

#include <cmath>

namespace blb {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Semitones from A4 (440 Hz).
double NoteHz(int semitones) { return 440.0 * std::pow(2.0, semitones / 12.0); }

struct Note {
    int pitch;    // semitones from A4
    double beats; // length
};

// A gentle phrase in C major that comes back to its start, so it loops.
const Note kMelody[] = {
    {-9, 1}, {-5, 1}, {-2, 1}, {3, 1}, {2, 0.5},  {0, 0.5},  {-2, 1}, {-5, 2},
    {-7, 1}, {-4, 1}, {0, 1},  {-2, 1}, {-4, 0.5}, {-5, 0.5}, {-7, 1}, {-9, 2},
};
const int kBass[] = {-21, -21, -16, -16, -14, -14, -21, -21}; // C3 C3 F3 F3 G3 G3 C3 C3, two beats each

constexpr double kBeatSeconds = 0.3;

// A plucked tone: four harmonics, the upper ones softer and fading faster.
// Kept mellow on purpose: DW ADPCM follows steep slopes only at large shifts.
double Pluck(double hz, double t)
{
    const double attack = t < 0.008 ? t / 0.008 : 1.0;
    double v = 0;
    const double weight[] = {1.0, 0.35, 0.15, 0.06};
    for (int h = 0; h < 4; ++h)
        v += weight[h] * std::exp(-t * (3.0 + 2.5 * h)) * std::sin(2 * kPi * hz * (h + 1) * t);
    return attack * v;
}

} // namespace

std::vector<int16_t> MakeTune(double seconds)
{
    const auto total = static_cast<size_t>(seconds > 0 ? seconds * kSampleRate : 0);
    std::vector<double> mix(total, 0.0);
    // Each note rings on after the next starts, as a plucked string would.
    auto addNote = [&](double start, double hz, double level, double ring) {
        const auto first = static_cast<size_t>(start * kSampleRate);
        const auto count = static_cast<size_t>(ring * kSampleRate);
        for (size_t k = 0; k < count && first + k < total; ++k)
            mix[first + k] += level * Pluck(hz, static_cast<double>(k) / kSampleRate);
    };
    double melodyBeats = 0;
    for (const Note &n : kMelody)
        melodyBeats += n.beats;
    for (double loop = 0; loop * kBeatSeconds < seconds; loop += melodyBeats) {
        double beat = loop;
        for (const Note &n : kMelody) {
            addNote(beat * kBeatSeconds, NoteHz(n.pitch), 0.5, n.beats * kBeatSeconds + 0.6);
            beat += n.beats;
        }
        for (size_t b = 0; b < sizeof kBass / sizeof kBass[0]; ++b)
            addNote((loop + 2.0 * b) * kBeatSeconds, NoteHz(kBass[b]), 0.35, 2 * kBeatSeconds + 0.4);
    }
    // A short fade at the end so the sound does not stop with a click.
    const auto fade = static_cast<size_t>(0.05 * kSampleRate);
    std::vector<int16_t> out(total);
    for (size_t k = 0; k < total; ++k) {
        double v = mix[k] * 9000.0;
        if (total - k < fade)
            v *= static_cast<double>(total - k) / static_cast<double>(fade);
        out[k] = static_cast<int16_t>(std::lround(v > 32767 ? 32767 : v < -32768 ? -32768 : v));
    }
    return out;
}

} // namespace blb
