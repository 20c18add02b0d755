/* The picture of a whole sound: for every stretch of kWaveFrames sample
 * frames the lowest and highest sample over all channels, scaled to
 * -128..127, gathered while the sound is decoded. */
#ifndef WEB_WAVEFORM_H
#define WEB_WAVEFORM_H

#include <cstdint>
#include <vector>

constexpr uint32_t kWaveFrames = 2048;

class Waveform {
public:
    Waveform(uint16_t channels, uint16_t bits);
    void Add(const uint8_t *pcm, uint32_t bytes);
    /* Hands the pairs (low, high), signed bytes, to the page. */
    void Report();

private:
    /* count samples at pcm, none of them past the current stretch; values
     * -32768..32767. */
    void AddRun(const uint8_t *pcm, uint32_t count);
    void EndStretch();
    uint32_t sampleBytes_, samplesPerStretch_;
    uint32_t inStretch_ = 0;
    int low_ = 0, high_ = 0;
    std::vector<int8_t> pairs_;
    uint8_t carry_[2] = {0, 0};
    uint32_t carried_ = 0;
};

#endif
