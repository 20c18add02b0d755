/* The item record the player hands to plug-ins: what fits in it, and a
 * fresh one filled in. */
#ifndef PLAYER_ITEM_RECORD_H
#define PLAYER_ITEM_RECORD_H

#include "common/plugin_api.h"

#include <cstdint>
#include <string>

/* Whether a name or a data string fits its field (with its NUL). */
bool ItemNameFits(const std::string &name);
bool ItemDataFits(const std::string &dataString);

/* record zeroed and given name, data string and cached length; false,
 * record untouched, when one of the texts does not fit. */
bool MakeItemRecord(ResourceItem &record, const std::string &name, const std::string &dataString,
                    int32_t cachedLength);

#endif
