/* Recognising a BLB sound resource.  The resource has no header of its own:
 * it is a sound when its container reader is "BLB" and its data string ends
 * in a type of 7 or 8 after the last '.'; an optional '-' followed by a hex
 * number gives the DW ADPCM shift count. */
#ifndef BLB_BLB_NAME_H
#define BLB_BLB_NAME_H

#include "common/plugin_api.h"

/* The shift value that means "raw 16-bit PCM, not DW ADPCM". */
#define BLB_SHIFT_RAW 0xFFu

struct BlbSoundName {
    uint8_t type;  /* 7 or 8 once accepted */
    uint8_t shift; /* BLB_SHIFT_RAW, or the DW ADPCM shift count */
};

/* The low 8 bits of the run of hex digits that starts at text; 0xFF when the
 * run is empty. */
uint8_t ParseHexByte(const char *text);

/* The container reader behind h is the one named "BLB" (case-sensitive) and
 * text's last '.' is followed by type 7 or 8.  Judges only the text given, so
 * Identify applies it to a resource name and Open to the data string. */
bool IsBlbSoundResource(const StreamHandle *h, const char *text, uint8_t *type);

/* The shift count after the first '-' of dataString; BLB_SHIFT_RAW when there
 * is no '-' or no hex digit follows it. */
uint8_t ParseBlbShift(const char *dataString);

/* Both of the above: true with *name filled when h's item is a sound. */
bool ParseBlbSoundName(const StreamHandle *h, const char *dataString, BlbSoundName *name);

#endif
