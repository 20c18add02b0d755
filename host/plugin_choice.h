/* With no PLUGIN named, each item goes to the plug-in the player would give
 * it to: the one whose descriptor signature the item's first bytes carry,
 * else the one whose file filter patterns match its name. */
#ifndef HOST_PLUGIN_CHOICE_H
#define HOST_PLUGIN_CHOICE_H

#include "plugin_session.h"

#include <string>
#include <vector>

/* The descriptor's file filter pattern ("*.07;*.08"), "" when it has none. */
std::string FilterPattern(const AudioFilePlugin &d);

/* The plug-in for item, or NULL after saying which signatures and
 * patterns were tried. */
PluginSession *ChoosePlugin(const std::vector<PluginSession *> &plugins, const std::string &item);

/* The plug-in files beside the program, sorted. */
std::vector<std::string> PluginsBeside(const std::string &programFolder);

#endif
