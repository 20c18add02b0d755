/* velmora's entry points, as the descriptor's table lists them.  Each is
 * defined in the file that owns its job. */
#ifndef MVE_MVE_ENTRIES_H
#define MVE_MVE_ENTRIES_H

#include "common/plugin_api.h"

/* mve_plugin.cpp */
void PLUGIN_CALL Init(void);

/* mve_setting.cpp: the walking setting and its dialog. */
INT_PTR PLUGIN_CALL Config(HWND owner);
void PLUGIN_CALL Shutdown(void);

/* mve_info.cpp: the About and info boxes. */
INT_PTR PLUGIN_CALL About(HWND owner);
void PLUGIN_CALL InfoBox(ResourceItem *item, HWND owner);

/* mve_stream.cpp: playback of a movie's sound track. */
BOOL PLUGIN_CALL Open(StreamHandle *h, uint32_t *sampleRate, uint16_t *channels, uint16_t *bitsPerSample);
uint32_t PLUGIN_CALL Read(StreamHandle *h, void *out, uint32_t byteCount, int32_t *marker);
BOOL PLUGIN_CALL Close(StreamHandle *h);

/* mve_scan.cpp: identification and scanning of raw files. */
ResourceInfo *PLUGIN_CALL ScanFile(HWND statusWindow, ContainerFile *cf, uint32_t unused, uint32_t startOffset,
                                   uint32_t *endOffset);
ResourceInfo *PLUGIN_CALL Identify(StreamHandle *h, uint32_t unused, const char *resourceName);

/* mve_length.cpp: play time by walking. */
int32_t PLUGIN_CALL GetLength(ResourceItem *item);

#endif
