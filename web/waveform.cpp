#include "waveform.h"
#include "page_events.h"

#include <algorithm>

Waveform::Waveform(uint16_t channels, uint16_t bits)
    : sampleBytes_(bits <= 8 ? 1u : 2u), samplesPerStretch_(kWaveFrames * std::max<uint32_t>(1, channels))
{
}

void Waveform::Sample(int value)
{
    if (inStretch_ == 0)
        low_ = high_ = value;
    low_ = std::min(low_, value);
    high_ = std::max(high_, value);
    if (++inStretch_ == samplesPerStretch_) {
        pairs_.push_back(static_cast<int8_t>(low_ >> 8));
        pairs_.push_back(static_cast<int8_t>(high_ >> 8));
        inStretch_ = 0;
    }
}

void Waveform::Add(const uint8_t *pcm, uint32_t bytes)
{
    if (sampleBytes_ == 1) {
        /* 8-bit PCM is unsigned. */
        for (uint32_t i = 0; i < bytes; ++i)
            Sample((static_cast<int>(pcm[i]) - 128) << 8);
        return;
    }
    uint32_t i = 0;
    if (carried_ && bytes) {
        Sample(static_cast<int16_t>(carry_[0] | (pcm[0] << 8)));
        carried_ = 0;
        i = 1;
    }
    for (; i + 1 < bytes; i += 2)
        Sample(static_cast<int16_t>(pcm[i] | (pcm[i + 1] << 8)));
    if (i < bytes) {
        carry_[0] = pcm[i];
        carried_ = 1;
    }
}

void Waveform::Report()
{
    if (inStretch_) {
        pairs_.push_back(static_cast<int8_t>(low_ >> 8));
        pairs_.push_back(static_cast<int8_t>(high_ >> 8));
        inStretch_ = 0;
    }
    PageWaveform(pairs_.data(), static_cast<uint32_t>(pairs_.size()));
}
