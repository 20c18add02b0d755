/* Read first by every plug-in source the page compiles.  Both plug-ins are
 * linked into the one WebAssembly module, where there is no dynamic loader
 * to keep their equal names apart (Open, Read, g_plugin, the info-box
 * snapshot, ...): each plug-in's sources are compiled inside a namespace of
 * the plug-in's name (the generated wrappers in the build folder), and its
 * two C names, the descriptor export and the string table, get the
 * plug-in's name as a prefix through compile definitions.
 *
 * What is shared stays outside the namespace and is included here first,
 * so its include guards keep it out of the namespace: the records both
 * sides of the interface use, and the "system" services of the stand-in. */
#ifndef WEB_PLUGIN_NAMESPACE_H
#define WEB_PLUGIN_NAMESPACE_H

#include <stddef.h>
#include <stdint.h>

#include "common/native/string_table.h"
#include "common/plugin_api.h"
#include "common/winapi.h"

#endif
