/* The libFuzzer face of one target; FUZZ_TARGET_FN names it at build time. */
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) { return FUZZ_TARGET_FN(data, size); }
