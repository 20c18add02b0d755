/* Which plug-in the player gives an item to: the first whose descriptor
 * signature the item starts with, else the first whose file filter
 * patterns match the item's name. */
#ifndef PLAYER_PLUGIN_CHOICE_H
#define PLAYER_PLUGIN_CHOICE_H

#include "common/plugin_api.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/* The index in plugins of the one for an item whose first bytes are
 * head[0..got) (at most kMaxSignatureBytes are looked at) and whose file
 * name is name (UTF-8); -1 for none, with tried then saying which
 * signatures and patterns were tried. */
int ChoosePlugin(const std::vector<const AudioFilePlugin *> &plugins, const uint8_t *head, size_t got,
                 const std::string &name, std::string *tried = nullptr);

#endif
