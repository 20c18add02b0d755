/* plughost's command line: what the user asked for, checked before any
 * plug-in is loaded. */
#ifndef HOST_CLI_ARGS_H
#define HOST_CLI_ARGS_H

#include "host/cli/command_table.h"
#include "host/output/output_plan.h"
#include "host/services/item_naming.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>


struct CliOptions {
    bool help = false;
    bool helpAll = false;
    bool version = false;
    std::string plugin;              /* path or bare name; "" = every plug-in beside plughost */
    Command command = Command::None;
    std::string commandName;         /* as typed, for messages */
    std::vector<std::string> items;  /* ITEMs of play/probe/length/identify/infobox, FILE of scan */

    std::string output;              /* play -o; "-" is standard output */
    std::string outputDir;           /* play -d */
    bool overwrite = false;          /* -y: -d may replace existing files */
    bool noClobber = false;          /* -n: items whose output exists are skipped */
    bool recursive = false;          /* -r: folders among the items are walked */
    bool json = false;               /* --json: one JSON document on standard output */
    bool dropped = false;            /* only files were given (dropped onto the program) */
    bool raw = false;                /* play --raw */
    std::string extractDir;          /* scan --extract */
    bool quiet = false;              /* -q: no progress line */

    std::string ini;                 /* empty: plughost.ini beside the program */
    std::vector<std::pair<std::string, std::string>> settings; /* --set KEY=VALUE, in order */
    std::string container = "BLB";
    bool dataGiven = false;
    std::string data;
    bool nameGiven = false;
    std::string name;
    int32_t cachedLength = -1;

    uint32_t bufferSize = 4608;
    uint32_t readChunk = 0;          /* 0: HostRead delivers all it can */
    bool trace = false;
    bool verbose = false;
    std::string dialogSteps;         /* --dialog */

    bool ToStdout() const { return output == "-"; }
};

struct ParseResult {
    bool ok = false;
    std::string error;               /* set when !ok */
    CliOptions options;
};

/* args excludes the program name. */
ParseResult ParseArguments(const std::vector<std::string> &args);

/* "" when the options go together, else why they do not (a parsed line
 * is checked already; this is for items that were expanded since). */
std::string CheckOptions(const CliOptions &o);

/* --help (all: --help-all), from the command table. */
std::string UsageText(bool all);

/* What the line says of outputs (-o, -d, --extract, --raw, -y, -n, -r,
 * dropped files). */
OutputSettings OutputsOf(const CliOptions &o);

/* How the run's items are described to the plug-ins (--name, --data,
 * --container, --cached-length). */
ItemNaming NamingOf(const CliOptions &o);
/* An item's name and data string: given with --name / --data, else the
 * item's file name. */
inline std::string ItemName(const CliOptions &o, const std::string &item) { return NamingOf(o).NameOf(item); }
inline std::string ItemDataString(const CliOptions &o, const std::string &item)
{
    return NamingOf(o).DataStringOf(item);
}

#endif
