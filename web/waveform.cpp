#include "waveform.h"
#include "page_events.h"

#include <algorithm>
#include <cstring>

Waveform::Waveform(uint16_t channels, uint16_t bits)
    : sampleBytes_(bits <= 8 ? 1u : 2u), samplesPerStretch_(kWaveFrames * std::max<uint32_t>(1, channels))
{
}

void Waveform::EndStretch()
{
    pairs_.push_back(static_cast<int8_t>(low_ >> 8));
    pairs_.push_back(static_cast<int8_t>(high_ >> 8));
    inStretch_ = 0;
}

/* The loops below are what decoding a long sound spends on its picture:
 * plain minimum and maximum over a run, which the compiler turns into
 * vector code. */
void Waveform::AddRun(const uint8_t *pcm, uint32_t count)
{
    int low = inStretch_ ? low_ : 32767, high = inStretch_ ? high_ : -32768;
    if (sampleBytes_ == 1) {
        /* 8-bit PCM is unsigned. */
        uint8_t lo = 255, hi = 0;
        for (uint32_t i = 0; i < count; ++i) {
            lo = std::min(lo, pcm[i]);
            hi = std::max(hi, pcm[i]);
        }
        low = std::min(low, (lo - 128) * 256);
        high = std::max(high, (hi - 128) * 256);
    } else {
        int16_t lo = 32767, hi = -32768;
        for (uint32_t i = 0; i < count; ++i) {
            int16_t v;
            std::memcpy(&v, pcm + 2 * i, 2); /* little-endian, as the module's memory */
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        low = std::min<int>(low, lo);
        high = std::max<int>(high, hi);
    }
    low_ = low;
    high_ = high;
    inStretch_ += count;
    if (inStretch_ == samplesPerStretch_)
        EndStretch();
}

void Waveform::Add(const uint8_t *pcm, uint32_t bytes)
{
    if (sampleBytes_ == 2 && carried_ && bytes) {
        /* The sample an earlier block ended in the middle of. */
        const uint8_t joined[2] = {carry_[0], pcm[0]};
        AddRun(joined, 1);
        carried_ = 0;
        ++pcm;
        --bytes;
    }
    uint32_t samples = bytes / sampleBytes_;
    while (samples) {
        const uint32_t n = std::min(samples, samplesPerStretch_ - inStretch_);
        AddRun(pcm, n);
        pcm += n * sampleBytes_;
        samples -= n;
    }
    if (sampleBytes_ == 2 && (bytes & 1)) {
        carry_[0] = pcm[0];
        carried_ = 1;
    }
}

void Waveform::Report()
{
    if (inStretch_)
        EndStretch();
    PageWaveform(pairs_.data(), static_cast<uint32_t>(pairs_.size()));
}
