/* The MVE DPCM encoder: one code byte per 16-bit sample after the frame's
 * start values, each chosen so the decoded signal stays as close to the
 * source as the step table allows. */
#ifndef TOOLS_MVE_MAKER_DPCM_ENCODER_H
#define TOOLS_MVE_MAKER_DPCM_ENCODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mvemaker {

/* The step a code adds to its channel's running sample, as a decoder
 * applies it with 16-bit wrap-around. */
int16_t DpcmStep(uint8_t code);

/* Encodes frames sample frames of interleaved 16-bit samples (channels 1 or
 * 2) as one audio frame's payload audio: the first sample frame as
 * little-endian start values, then one code per remaining sample.  Codes
 * whose sum would leave the 16-bit range are never chosen, so decoding
 * never has to wrap.  The samples a decoder reconstructs (start values
 * included) are appended to *decoded when it is given. */
std::vector<uint8_t> EncodeDpcmFrame(const int16_t *samples, size_t frames, unsigned channels,
                                     std::vector<int16_t> *decoded);

} // namespace mvemaker

#endif
