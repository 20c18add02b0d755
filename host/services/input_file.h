/* Items as plughost takes them: every item is checked before anything
 * opens it for the plug-in, so that what cannot work says why at once
 * instead of blocking or failing half-way: a folder, a FIFO, a device or a
 * pipe cannot be sought in; a file larger than 4 GiB cannot be handed whole
 * to a plug-in, whose interface counts bytes in 32 bits (scan works on
 * windows of such a file instead). */
#ifndef HOST_INPUT_FILE_H
#define HOST_INPUT_FILE_H

#include "host/system/file_system.h"

#include "player/extent.h"

#include <cstdint>
#include <cstdio>
#include <string>


enum class ItemUse { Whole, Windowed };

/* kExitOk with status filled, or the exit status after saying on stderr
 * why path cannot be an item. */
int CheckInput(const std::string &path, ItemUse use, FileStatus *status = nullptr);

/* The length of an open file, or -1. */
int64_t FileLength(std::FILE *file);

#endif
