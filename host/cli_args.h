/* plughost's command line: what the user asked for, checked before any
 * plug-in is loaded. */
#ifndef HOST_CLI_ARGS_H
#define HOST_CLI_ARGS_H

#include <cstdint>
#include <string>
#include <vector>

enum class Command { None, Info, Play, Length, Identify, About, InfoBox, Config, Scan };

struct CliOptions {
    bool help = false;
    std::string plugin;           /* path or bare name */
    Command command = Command::None;
    std::string commandName;      /* as typed, for messages */
    std::string item;             /* ITEM of play/length/identify/infobox, FILE of scan */

    std::string output;           /* play -o */
    bool raw = false;             /* play --raw */
    std::string extractDir;       /* scan --extract */

    std::string ini;              /* empty: plughost.ini beside the program */
    std::string container = "BLB";
    bool dataGiven = false;
    std::string data;
    bool nameGiven = false;
    std::string name;
    int32_t cachedLength = -1;

    uint32_t bufferSize = 4608;
    uint32_t readChunk = 0;       /* 0: HostRead delivers all it can */
    bool trace = false;
    bool verbose = false;
    std::string dialogSteps;      /* --dialog */
};

struct ParseResult {
    bool ok = false;
    std::string error;            /* set when !ok */
    CliOptions options;
};

/* args excludes the program name. */
ParseResult ParseArguments(const std::vector<std::string> &args);

/* The complete --help text. */
const char *UsageText();

/* The last component of a path written with '/' or '\\'. */
std::string BaseName(const std::string &path);

/* The item's name and data string: given with --name / --data, else ITEM's
 * file name. */
std::string ItemName(const CliOptions &o);
std::string ItemDataString(const CliOptions &o);

#endif
