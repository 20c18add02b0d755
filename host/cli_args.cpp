#include "cli_args.h"

#include "common/plugin_api.h"

#include <cerrno>
#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: plughost [options] PLUGIN COMMAND [ARGS...]\n"
    "\n"
    "Loads an audio decoder plug-in the way the player does (fills its\n"
    "descriptor, calls Init, and Shutdown at the end) and drives one of its\n"
    "entry points, serving files from disk through the player's stream\n"
    "services.\n"
    "\n"
    "PLUGIN   a path to a plug-in DLL, or a bare name (\"tasbrin\", \"velmora\")\n"
    "         looked up as NAME.dll beside plughost.exe.\n"
    "\n"
    "Commands:\n"
    "  info                     name, version, file filter, format name, interface\n"
    "                           version, type, signatures and entry points\n"
    "  play ITEM -o OUT.wav     Open ITEM, Read until it returns 0, Close; write\n"
    "                           the PCM as a WAV file (--raw: bare PCM) and print\n"
    "                           'format:', 'bytes:' and 'time:' lines\n"
    "  length ITEM              GetLength: 'length: N ms (m:ss)' or\n"
    "                           'length: unknown (-1)'\n"
    "  identify ITEM            Identify on a stream of ITEM: start and size\n"
    "  about                    About, owned by plughost's window; prints the result\n"
    "  config                   Config, owned by plughost's window; prints the result\n"
    "  infobox ITEM             InfoBox on ITEM, owned by plughost's window\n"
    "  scan FILE [--extract DIR]\n"
    "                           search FILE (container \"RAW\") for the plug-in's\n"
    "                           signatures, call ScanFile at each match and list\n"
    "                           every movie found with its play length; --extract\n"
    "                           writes each one to DIR as FILE-N.mve\n"
    "\n"
    "Item options:\n"
    "  --container NAME   short name of the items' container (default \"BLB\")\n"
    "  --data STRING      the item's data string (default: ITEM's file name)\n"
    "  --name NAME        the item's resource name (default: ITEM's file name)\n"
    "  --cached-length N  the item's cached play length in ms (default -1)\n"
    "\n"
    "Host options:\n"
    "  --ini FILE         the INI file given to the plug-in (default: plughost.ini\n"
    "                     beside plughost.exe)\n"
    "  --buffer N         bytes asked of each Read in play (default 4608)\n"
    "  --read-chunk N     HostRead and ContainerRead deliver at most N bytes per\n"
    "                     call (a host that serves short reads)\n"
    "  --trace            print every host-service call with its arguments and\n"
    "                     result on stderr\n"
    "  --verbose          print the status texts sent during scan, and more detail\n"
    "  --dialog STEPS     drive the dialogs and message boxes the plug-in shows:\n"
    "                     comma-separated steps, carried out 100 ms apart on the\n"
    "                     topmost enabled dialog: 'dump' (print its caption,\n"
    "                     placement and controls), a control ID or 'ok'/'cancel'\n"
    "                     (click it), 'esc' (press Escape), 'close' (WM_CLOSE),\n"
    "                     'wait' (one step of nothing).  A dialog still open 3 s\n"
    "                     after the last step is ended and counts as a failure.\n"
    "  -h, --help         this text\n"
    "\n"
    "plughost's window (the descriptor's hHostWindow and the owner of every\n"
    "dialog) is a hidden top-level window at 100,100, 640 x 480 pixels.\n"
    "Options may stand anywhere on the line.\n"
    "\n"
    "Exit status: 0 success; 1 the plug-in refused or failed (or broke the\n"
    "interface's rules: wrote past a buffer, left a stream open, ...);\n"
    "2 bad arguments; 3 a missing or unreadable file.\n"
    "A plug-in whose entry point for COMMAND is NULL: \"<plugin> does not offer\n"
    "<command>\", exit 1.  'length: unknown (-1)' exits 0: -1 is the plug-in's\n"
    "answer that no length is available.\n";

struct CommandName {
    const char *name;
    Command command;
    bool takesItem;
};

const CommandName kCommands[] = {
    {"info", Command::Info, false},         {"play", Command::Play, true},
    {"length", Command::Length, true},      {"identify", Command::Identify, true},
    {"about", Command::About, false},       {"infobox", Command::InfoBox, true},
    {"config", Command::Config, false},     {"scan", Command::Scan, true},
};

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

ParseResult Fail(const std::string &why)
{
    ParseResult r;
    r.error = why;
    return r;
}

} // namespace

const char *UsageText() { return kUsage; }

std::string BaseName(const std::string &path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ItemName(const CliOptions &o) { return o.nameGiven ? o.name : BaseName(o.item); }
std::string ItemDataString(const CliOptions &o) { return o.dataGiven ? o.data : BaseName(o.item); }

ParseResult ParseArguments(const std::vector<std::string> &args)
{
    ParseResult r;
    CliOptions &o = r.options;
    std::vector<std::string> positional;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&](std::string &into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--raw") {
            o.raw = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "-o" || a == "--ini" || a == "--container" || a == "--data" ||
                   a == "--name" || a == "--extract" || a == "--buffer" ||
                   a == "--read-chunk" || a == "--cached-length" || a == "--dialog") {
            if (!value(v))
                return Fail("option " + a + " needs a value");
            if (a == "-o")
                o.output = v;
            else if (a == "--ini")
                o.ini = v;
            else if (a == "--container")
                o.container = v;
            else if (a == "--data")
                o.data = v, o.dataGiven = true;
            else if (a == "--name")
                o.name = v, o.nameGiven = true;
            else if (a == "--extract")
                o.extractDir = v;
            else if (a == "--dialog")
                o.dialogSteps = v;
            else if (a == "--buffer" && !ParseUnsigned(v, 1, 64u << 20, o.bufferSize))
                return Fail("--buffer needs a byte count from 1 to 67108864, not '" + v + "'");
            else if (a == "--read-chunk" && !ParseUnsigned(v, 1, UINT32_MAX, o.readChunk))
                return Fail("--read-chunk needs a byte count of at least 1, not '" + v + "'");
            else if (a == "--cached-length" && !ParseSigned(v, o.cachedLength))
                return Fail("--cached-length needs a number of milliseconds, not '" + v + "'");
        } else if (a.size() > 1 && a[0] == '-') {
            return Fail("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }

    if (o.help) {
        r.ok = true;
        return r;
    }
    if (positional.size() < 2)
        return Fail(positional.empty() ? "no PLUGIN and COMMAND given" : "no COMMAND given");
    o.plugin = positional[0];
    o.commandName = positional[1];
    const CommandName *found = nullptr;
    for (const CommandName &c : kCommands)
        if (o.commandName == c.name)
            found = &c;
    if (!found)
        return Fail("unknown command '" + o.commandName + "'");
    o.command = found->command;
    const size_t wanted = found->takesItem ? 3 : 2;
    if (positional.size() < wanted)
        return Fail(o.commandName + " needs " + (o.command == Command::Scan ? "a FILE" : "an ITEM"));
    if (positional.size() > wanted)
        return Fail("unexpected argument '" + positional[wanted] + "'");
    if (found->takesItem)
        o.item = positional[2];

    if (o.command == Command::Play && o.output.empty())
        return Fail("play needs -o OUT.wav");
    if (!o.output.empty() && o.command != Command::Play)
        return Fail("-o belongs to play");
    if (o.raw && o.command != Command::Play)
        return Fail("--raw belongs to play");
    if (!o.extractDir.empty() && o.command != Command::Scan)
        return Fail("--extract belongs to scan");
    if (ItemName(o).size() >= RESOURCE_NAME_CAPACITY)
        return Fail("the item's name is longer than " + std::to_string(RESOURCE_NAME_CAPACITY - 1) +
                    " characters");
    if (ItemDataString(o).size() >= RESOURCE_DATA_CAPACITY)
        return Fail("the item's data string is longer than " +
                    std::to_string(RESOURCE_DATA_CAPACITY - 1) + " characters");
    if (!ValidDialogSteps(o.dialogSteps))
        return Fail("--dialog takes comma-separated steps: dump, ok, cancel, esc, close, wait or a "
                    "control ID, not '" + o.dialogSteps + "'");
    if (o.container.size() > 255)
        return Fail("the container name is too long");
    r.ok = true;
    return r;
}
