/* velmora's entry points, as the descriptor's table lists them.  Each is
 * defined in the file that owns its job. */
#ifndef MVE_MVE_ENTRIES_H
#define MVE_MVE_ENTRIES_H

#include "common/plugin_api.h"

/* mve_plugin.cpp */
void PLUGIN_CALL Init(void);

/* mve_stream.cpp: playback of a movie's sound track. */
BOOL PLUGIN_CALL Open(StreamHandle *h, uint32_t *sampleRate, uint16_t *channels, uint16_t *bitsPerSample);
uint32_t PLUGIN_CALL Read(StreamHandle *h, void *out, uint32_t byteCount, int32_t *marker);
BOOL PLUGIN_CALL Close(StreamHandle *h);

#endif
