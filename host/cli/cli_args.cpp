#include "host/cli/cli_args.h"

#include "common/plugin_api.h"
#include "host/system/file_system.h"

#include "player/item_record.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

bool ParseUnsigned(const std::string &text, uint32_t low, uint32_t high, uint32_t &out)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    char *end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno || *end || v < low || v > high)
        return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool ParseSigned(const std::string &text, int32_t &out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno || *end || v < INT32_MIN || v > INT32_MAX)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool ValidDialogSteps(const std::string &steps)
{
    size_t start = 0;
    while (start <= steps.size()) {
        size_t end = steps.find(',', start);
        if (end == std::string::npos)
            end = steps.size();
        const std::string step = steps.substr(start, end - start);
        uint32_t id;
        if (!step.empty() && step != "dump" && step != "ok" && step != "cancel" && step != "esc" &&
            step != "close" && step != "wait" && !ParseUnsigned(step, 0, 0xFFFF, id))
            return false;
        start = end + 1;
    }
    return true;
}

/* KEY=VALUE of --set: a key an INI file can hold on one line. */
bool ParseSetting(const std::string &text, std::pair<std::string, std::string> &out)
{
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        return false;
    out = {text.substr(0, eq), text.substr(eq + 1)};
    return out.first.find_first_of("[]\r\n;") == std::string::npos &&
           out.first.find_first_not_of(" \t") != std::string::npos &&
           out.second.find_first_of("\r\n") == std::string::npos;
}

ParseResult Fail(const std::string &why)
{
    ParseResult r;
    r.error = why;
    return r;
}

/* The options that belong to some commands only, in the order they are
 * checked; where is said when the commands' names are not the whole
 * story. */
struct OptionRule {
    const char *flag;
    uint32_t option;                      /* 0: flag and other exclude each other */
    bool (*given)(const CliOptions &o);
    const char *where;                    /* NULL: the commands that take it */
    bool (*fits)(const CliOptions &o);    /* beyond the command; NULL: always */
};

const OptionRule kOptionRules[] = {
    {"-o", kOptOutput, [](const CliOptions &o) { return !o.output.empty(); }, nullptr, nullptr},
    {"-d", kOptOutputDir, [](const CliOptions &o) { return !o.outputDir.empty(); }, nullptr, nullptr},
    {"-n and -y do not go together: -n keeps the outputs that exist, -y replaces them", 0,
     [](const CliOptions &o) { return o.noClobber && o.overwrite; }, nullptr, nullptr},
    {"-n", kOptNoClobber, [](const CliOptions &o) { return o.noClobber; }, "play and scan --extract",
     [](const CliOptions &o) { return o.command != Command::Scan || !o.extractDir.empty(); }},
    {"--json", kOptJson, [](const CliOptions &o) { return o.json; }, nullptr, nullptr},
    {"-r", kOptRecursive, [](const CliOptions &o) { return o.recursive; }, nullptr, nullptr},
    {"-y", kOptOverwrite, [](const CliOptions &o) { return o.overwrite; },
     "play -d and scan --extract (-o replaces its file anyway)",
     [](const CliOptions &o) { return !o.outputDir.empty() || !o.extractDir.empty(); }},
    {"--raw", kOptRaw, [](const CliOptions &o) { return o.raw; }, nullptr, nullptr},
    {"--extract", kOptExtract, [](const CliOptions &o) { return !o.extractDir.empty(); }, nullptr, nullptr},
};

/* Checks that need the whole line: which options go with which command. */
std::string Conflicts(const CliOptions &o)
{
    /* Dropped files come with no options and are written beside
     * themselves: nothing to conflict. */
    if (o.dropped)
        return std::string();
    const CommandRow &row = RowOf(o.command);
    const bool play = o.command == Command::Play;
    if (play && o.output.empty() && o.outputDir.empty())
        return "play needs -o OUT.wav (or -o - for standard output) or -d DIR";
    if (!o.output.empty() && !o.outputDir.empty())
        return "-o and -d do not go together: -o names one output file, -d a folder for each item's";
    if (o.ToStdout() && o.items.size() > 1)
        return "-o - takes one item: several items go to a folder with -d DIR";
    if (play && o.items.size() > 1 && o.outputDir.empty())
        return "several items need -d DIR (-o names a single output file)";
    for (const OptionRule &rule : kOptionRules) {
        if (!rule.given(o))
            continue;
        if (!rule.option)
            return rule.flag;
        if ((row.options & rule.option) && (!rule.fits || rule.fits(o)))
            continue;
        std::string why = std::string(rule.flag) + " belongs to " + (rule.where ? rule.where : CommandsTaking(rule.option));
        if (rule.option == kOptJson)
            why += ", the commands that report on each item";
        return why;
    }
    if ((o.nameGiven || o.dataGiven) && o.items.size() > 1)
        return "--name and --data describe one item, not several";
    for (const std::string &item : o.items) {
        if (!ItemNameFits(ItemName(o, item)))
            return "the item's name is longer than " + std::to_string(RESOURCE_NAME_CAPACITY - 1) +
                   " characters";
        if (!ItemDataFits(ItemDataString(o, item)))
            return "the item's data string is longer than " + std::to_string(RESOURCE_DATA_CAPACITY - 1) +
                   " characters";
    }
    if (!ValidDialogSteps(o.dialogSteps))
        return "--dialog takes comma-separated steps: dump, ok, cancel, esc, close, wait or a "
               "control ID, not '" + o.dialogSteps + "'";
    if (o.container.size() > 255)
        return "the container name is too long";
    return std::string();
}

} // namespace

std::string CheckOptions(const CliOptions &o) { return Conflicts(o); }

OutputSettings OutputsOf(const CliOptions &o)
{
    OutputSettings s;
    s.file = o.output;
    s.folder = o.outputDir;
    s.extractFolder = o.extractDir;
    s.raw = o.raw;
    s.replace = o.overwrite;
    s.keep = o.noClobber;
    s.recursive = o.recursive;
    s.beside = o.dropped;
    return s;
}

ItemNaming NamingOf(const CliOptions &o)
{
    ItemNaming n;
    n.nameGiven = o.nameGiven;
    n.name = o.name;
    n.dataGiven = o.dataGiven;
    n.data = o.data;
    n.container = o.container;
    n.cachedLength = o.cachedLength;
    return n;
}

ParseResult ParseArguments(const std::vector<std::string> &args)
{
    ParseResult r;
    CliOptions &o = r.options;
    std::vector<std::string> positional, settings;
    std::string buffer, readChunk, cachedLength;

    /* The usage text is plughost's own (UsageText); words that are no
     * option are PLUGIN, COMMAND and the command's arguments, wherever they
     * stand. */
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    /* Paths such as /tmp/a.mve are items, not Windows-style /options. */
    app.allow_windows_style_options(false);
    app.add_option("words", positional);
    app.add_flag("-h,--help", o.help);
    app.add_flag("--help-all", o.helpAll);
    app.add_flag("--version", o.version);
    app.add_flag("--raw", o.raw);
    app.add_flag("--trace", o.trace);
    app.add_flag("--verbose", o.verbose);
    app.add_flag("-y,--overwrite", o.overwrite);
    app.add_flag("-q,--quiet", o.quiet);
    app.add_flag("-n,--no-clobber", o.noClobber);
    app.add_flag("-r,--recursive", o.recursive);
    app.add_flag("--json", o.json);
    app.add_option("-o", o.output);
    app.add_option("-d,--output-dir", o.outputDir);
    app.add_option("--ini", o.ini);
    app.add_option("--container", o.container);
    app.add_option("--data", o.data);
    app.add_option("--name", o.name);
    app.add_option("--extract", o.extractDir);
    app.add_option("--dialog", o.dialogSteps);
    app.add_option("--buffer", buffer);
    app.add_option("--read-chunk", readChunk);
    app.add_option("--cached-length", cachedLength);
    app.add_option("--set", settings)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError &e) {
        const std::string what = e.what();
        const size_t cut = what.find(':'); /* "-o: 1 required TEXT missing" */
        return Fail(cut != std::string::npos && what.find("required") != std::string::npos
                        ? "option " + what.substr(0, cut) + " needs a value"
                        : what);
    }
    for (const std::string &extra : app.remaining())
        if (extra != "--")
            return Fail("unknown option " + extra);
    o.dataGiven = app.count("--data") > 0;
    o.nameGiven = app.count("--name") > 0;
    if (app.count("--buffer") && !ParseUnsigned(buffer, 1, 64u << 20, o.bufferSize))
        return Fail("--buffer needs a byte count from 1 to 67108864, not '" + buffer + "'");
    if (app.count("--read-chunk") && !ParseUnsigned(readChunk, 1, UINT32_MAX, o.readChunk))
        return Fail("--read-chunk needs a byte count of at least 1, not '" + readChunk + "'");
    if (app.count("--cached-length") && !ParseSigned(cachedLength, o.cachedLength))
        return Fail("--cached-length needs a number of milliseconds, not '" + cachedLength + "'");
    for (const std::string &s : settings) {
        std::pair<std::string, std::string> kv;
        if (!ParseSetting(s, kv))
            return Fail("--set needs KEY=VALUE (a key without '[', ']' or ';', both on one line), not '" +
                        s + "'");
        o.settings.push_back(kv);
    }

    if (o.help || o.helpAll || o.version) {
        r.ok = true;
        return r;
    }
    /* Only files, and nothing else: what Explorer passes when files are
     * dropped onto the program.  Each becomes a WAV file beside it. */
    if (!positional.empty() && args.size() == positional.size() && !FindCommand(positional[0]) &&
        std::all_of(positional.begin(), positional.end(),
                    [](const std::string &w) { return StatusOf(w).kind == FileKind::Regular; })) {
        o.command = Command::Play;
        o.commandName = "play";
        o.dropped = true;
        o.noClobber = true;
        o.items = positional;
        r.ok = true;
        return r;
    }
    /* A command as the first word: no plug-in named, each item goes to the
     * plug-in the player would choose. */
    const CommandRow *leading = positional.empty() ? nullptr : FindCommand(positional[0]);
    const size_t first = leading && leading->chooses ? 0 : 1;
    if (positional.size() < first + 1)
        return Fail(positional.empty() ? "no PLUGIN and COMMAND given" : "no COMMAND given");
    o.plugin = first ? positional[0] : std::string();
    o.commandName = positional[first];
    const CommandRow *found = FindCommand(o.commandName);
    if (!found)
        return Fail("unknown command '" + o.commandName + "'");
    o.command = found->command;
    o.items.assign(positional.begin() + static_cast<std::ptrdiff_t>(first) + 1, positional.end());
    if (o.items.size() < found->minItems)
        return Fail(o.commandName + " needs " + (found->itemsName[0] == 'I' ? "an " : "a ") + found->itemsName);
    if (o.items.size() > found->maxItems)
        return Fail("unexpected argument '" + o.items[found->maxItems] + "'");
    const std::string conflict = Conflicts(o);
    if (!conflict.empty())
        return Fail(conflict);
    r.ok = true;
    return r;
}
