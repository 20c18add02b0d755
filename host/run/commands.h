/* plughost's commands, each working on a loaded plug-in session: the
 * run's context, the per-item loop they share, and one function per
 * command (query_commands.cpp, play_command.cpp, scan_command.cpp). */
#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

#include "host/cli/cli_args.h"
#include "host/output/output_plan.h"
#include "host/exit_codes.h"
#include "host/system/platform.h"
#include "host/run/plugin_session.h"
#include "host/report/progress.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

constexpr unsigned kStatusText = WM_USER + 6;
constexpr unsigned kStatusChunk = WM_USER + 4;

/* One run: what was asked, the plug-in it works with, and what the items
 * came to. */
struct Run {
    const CliOptions &o;
    std::vector<PluginSession *> plugins; /* one, or with no PLUGIN named every one found */
    HostDesktop &desktop;
    ProgressLine &progress;
    OutputPlan &outputs;
    PluginSession *current = nullptr;     /* the one the item at hand goes to */

    size_t done = 0;      /* items finished, well or not */
    size_t failed = 0;    /* of those, the ones that failed */
    size_t refused = 0;   /* of those, the ones whose Open said no */
    std::string lastDone; /* the last item finished */

    size_t skipped = 0;   /* of those, the ones -n left alone */

    PluginSession &plugin() const { return *current; }
    /* Whether every plug-in of the run has the entry point slot gives;
     * says which does not. */
    bool Offers(const std::function<const void *(const AudioFilePlugin &)> &slot, const char *command);
    /* "ITEM: " before every line about an item when there are several. */
    std::string Prefix(const std::string &item) const;
};

/* Runs one for each item with the progress line around it and the checks
 * after it, until the run is asked to stop.  One item: its own exit status;
 * several: 1 if any failed. */
int EachItem(Run &run, const std::function<int(const std::string &item)> &one);

/* The commands' handlers are declared with the command table. */

/* Loads the plug-in, checks items and outputs, runs the command. */
int RunCommand(const CliOptions &options, HostDesktop &desktop);

#endif
