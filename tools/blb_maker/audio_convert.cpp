#include "audio_convert.h"

#include "blb_encoder.h"

#include <algorithm>
#include <cmath>

namespace blb {

std::vector<int16_t> ToBlbFormat(const WavAudio &audio)
{
    const size_t channels = audio.channels ? audio.channels : 1;
    const size_t frames = audio.samples.size() / channels;
    std::vector<double> mono(frames);
    for (size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (size_t c = 0; c < channels; ++c)
            sum += audio.samples[f * channels + c];
        mono[f] = sum / static_cast<double>(channels);
    }
    if (frames == 0 || audio.sampleRate == 0)
        return {};

    const double step = static_cast<double>(audio.sampleRate) / kSampleRate;
    // Same duration as the input; the last frame is held past its end.
    const auto outFrames = std::max<size_t>(1, static_cast<size_t>(std::llround(static_cast<double>(frames) / step)));
    std::vector<int16_t> out(outFrames);
    for (size_t n = 0; n < outFrames; ++n) {
        const double pos = static_cast<double>(n) * step;
        const size_t i = std::min(static_cast<size_t>(pos), frames - 1);
        const double frac = pos - static_cast<double>(i);
        const double a = mono[i];
        const double b = i + 1 < frames ? mono[i + 1] : a;
        const double v = std::lround(a + (b - a) * frac);
        out[n] = static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    }
    return out;
}

} // namespace blb
