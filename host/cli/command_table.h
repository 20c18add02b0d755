/* plughost's commands, one row each: what a command is called, what it
 * takes, which options belong to it, what runs it and how the help
 * describes it.  Parsing, the checks of which options go together (also
 * after Windows' wildcards are expanded), dispatch and both help texts
 * come from this table. */
#ifndef HOST_CLI_COMMAND_TABLE_H
#define HOST_CLI_COMMAND_TABLE_H

#include <cstddef>
#include <cstdint>
#include <string>

enum class Command { None, Info, Play, Probe, Length, Identify, About, InfoBox, Config, Scan };

/* The options that belong to some commands only (the others go with any). */
enum CommandOption : uint32_t {
    kOptOutput = 1u << 0,      /* -o */
    kOptOutputDir = 1u << 1,   /* -d */
    kOptRaw = 1u << 2,         /* --raw */
    kOptNoClobber = 1u << 3,   /* -n */
    kOptOverwrite = 1u << 4,   /* -y */
    kOptRecursive = 1u << 5,   /* -r */
    kOptJson = 1u << 6,        /* --json */
    kOptExtract = 1u << 7,     /* --extract */
};

struct Run;

/* The commands' handlers (run/), each working on a loaded run. */
int InfoCommand(Run &run);
int PlayCommand(Run &run);
int ProbeCommand(Run &run);
int LengthCommand(Run &run);
int IdentifyCommand(Run &run);
int AboutCommand(Run &run);
int ConfigCommand(Run &run);
int InfoBoxCommand(Run &run);
int ScanCommand(Run &run);

constexpr size_t kManyItems = SIZE_MAX;

struct CommandRow {
    const char *name;
    Command command;
    size_t minItems, maxItems;   /* words after COMMAND */
    const char *itemsName;       /* what they are called: "ITEM", "FILE" */
    bool chooses;                /* may stand first: the plug-in chosen per item */
    uint32_t options;            /* CommandOption bits */
    int (*handler)(Run &run);
    const char *synopsis;        /* its arguments in the short help */
    const char *summary;         /* what it does, in the short help */
    const char *reference;       /* its entry in the full help; NULL: told with the row before */
};

/* The rows in the order the help lists them. */
const CommandRow *CommandRows(size_t &count);
/* The row of a command's name, or NULL. */
const CommandRow *FindCommand(const std::string &name);
const CommandRow &RowOf(Command command);

/* "a, b and c": the commands whose rows have option. */
std::string CommandsTaking(uint32_t option);

#endif
