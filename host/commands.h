/* plughost's commands: load the plug-in as the player does, drive one entry
 * point, report what it did. */
#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

#include "cli_args.h"
#include "platform.h"

enum ExitCode { kExitOk = 0, kExitRefused = 1, kExitUsage = 2, kExitNoFile = 3 };

int RunCommand(const CliOptions &options, PluginLoader &loader, HostDesktop &desktop);

/* "m:ss", or "h:mm:ss" from an hour on (whole seconds, rounded down). */
std::string ClockText(uint32_t ms);

/* Where PLUGIN is: a bare name is NAME.dll beside the program. */
std::string ResolvePluginPath(const std::string &plugin, const std::string &programFolder);

#endif
