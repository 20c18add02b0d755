/* The JavaScript side of page_events.h: functions of the worker's script
 * (worker.js) that the host's calls reach while they run. */
#include "page_events.h"

#include <emscripten.h>

EM_JS(uint32_t, PageRead, (int file, double offset, uint8_t *dst, uint32_t n),
      { return self.onHostRead(file, offset, dst, n); });

EM_JS(void, PageEvent, (const char *kind, const char *a, const char *b, double n),
      { self.onHostEvent(ansiText(kind), ansiText(a), ansiText(b), n); });

EM_JS(void, PageSound, (const uint8_t *data, uint32_t n), { self.onHostSound(data, n); });

EM_JS(void, PageWaveform, (const int8_t *pairs, uint32_t n), { self.onHostWaveform(pairs, n); });
