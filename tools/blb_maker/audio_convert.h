// Bringing any WAV input to the one format BLB sounds have.
#ifndef TOOLS_BLB_MAKER_AUDIO_CONVERT_H
#define TOOLS_BLB_MAKER_AUDIO_CONVERT_H

#include "wav_io.h"

namespace blb {

// Channels averaged to mono, then linearly resampled to 22050 Hz.
std::vector<int16_t> ToBlbFormat(const WavAudio &audio);

} // namespace blb

#endif
