#include "wav_header.h"

namespace {

void Put16(uint8_t *p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t *p, uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

} // namespace

uint32_t WavBlockAlign(uint16_t channels, uint16_t bitsPerSample)
{
    return static_cast<uint32_t>(channels) * ((bitsPerSample + 7u) / 8u);
}

std::array<uint8_t, kWavHeaderSize> WavHeader(uint32_t sampleRate, uint16_t channels,
                                              uint16_t bitsPerSample, uint32_t dataBytes)
{
    std::array<uint8_t, kWavHeaderSize> h{};
    uint8_t *p = h.data();
    const uint32_t align = WavBlockAlign(channels, bitsPerSample);
    const uint32_t pad = dataBytes & 1u;
    const uint32_t riffSize = dataBytes > kWavMaxData ? 0xFFFFFFFFu : 36u + dataBytes + pad;
    const uint64_t byteRate = static_cast<uint64_t>(sampleRate) * align;
    p[0] = 'R', p[1] = 'I', p[2] = 'F', p[3] = 'F';
    Put32(p + 4, riffSize);
    p[8] = 'W', p[9] = 'A', p[10] = 'V', p[11] = 'E';
    p[12] = 'f', p[13] = 'm', p[14] = 't', p[15] = ' ';
    Put32(p + 16, 16);
    Put16(p + 20, 1); /* PCM */
    Put16(p + 22, channels);
    Put32(p + 24, sampleRate);
    Put32(p + 28, byteRate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(byteRate));
    Put16(p + 32, align);
    Put16(p + 34, bitsPerSample);
    p[36] = 'd', p[37] = 'a', p[38] = 't', p[39] = 'a';
    Put32(p + 40, dataBytes);
    return h;
}
