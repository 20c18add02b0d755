// A short built-in melody, so sample sounds can be made without any input.
#ifndef TOOLS_BLB_MAKER_TUNE_H
#define TOOLS_BLB_MAKER_TUNE_H

#include <cstdint>
#include <vector>

namespace blb {

// seconds of a plucked-string melody over a soft bass, 22050 Hz mono,
// peaking below half of full scale.
std::vector<int16_t> MakeTune(double seconds);

} // namespace blb

#endif
