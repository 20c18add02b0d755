/* With no PLUGIN named, each item goes to the plug-in the player would give
 * it to (player/plugin_choice.h), and the plug-ins are the ones beside the
 * program. */
#ifndef HOST_PLUGIN_CHOICE_H
#define HOST_PLUGIN_CHOICE_H

#include "host/run/plugin_session.h"

#include <string>
#include <vector>

/* The plug-in for item, or NULL after saying which signatures and
 * patterns were tried. */
PluginSession *ChoosePlugin(const std::vector<PluginSession *> &plugins, const std::string &item);

/* The plug-in files beside the program, sorted. */
std::vector<std::string> PluginsBeside(const std::string &programFolder);

#endif
