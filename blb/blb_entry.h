/* tasbrin's entry points, as the descriptor lists them. */
#ifndef BLB_BLB_ENTRY_H
#define BLB_BLB_ENTRY_H

#include "common/plugin_api.h"

INT_PTR PLUGIN_CALL About(HWND owner);
void PLUGIN_CALL Init(void);
void PLUGIN_CALL InfoBox(ResourceItem *item, HWND owner);
BOOL PLUGIN_CALL Open(StreamHandle *h, uint32_t *sampleRate, uint16_t *channels,
                      uint16_t *bitsPerSample);
BOOL PLUGIN_CALL Close(StreamHandle *h);
uint32_t PLUGIN_CALL Read(StreamHandle *h, void *out, uint32_t byteCount, int32_t *marker);
ResourceInfo *PLUGIN_CALL Identify(StreamHandle *h, uint32_t unused, const char *resourceName);
int32_t PLUGIN_CALL GetLength(ResourceItem *item);

#endif
