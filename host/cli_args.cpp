#include "cli_args.h"

#include "common/plugin_api.h"

#include <cerrno>
#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: plughost [options] PLUGIN COMMAND [ARGS...]\n"
    "\n"
    "Loads an audio decoder plug-in the way the player does -- LoadLibrary, the\n"
    "export \"_GetAudioFilePlugin@0\", the descriptor's hInstance, hHostWindow,\n"
    "iniFileName and hostServices filled in, Init -- drives one entry point,\n"
    "and calls Shutdown at the end.  Items are served from files on disk through\n"
    "the player's seven stream services.\n"
    "\n"
    "PLUGIN   a path to a plug-in DLL, or a bare name (\"tasbrin\", \"velmora\")\n"
    "         looked up as NAME.dll beside plughost.exe.\n"
    "\n"
    "The Linux build (plughost) loads NAME.so through dlopen and the export\n"
    "\"GetAudioFilePlugin\"; there no window can be created, so the dialogs\n"
    "fail (result -1) and velmora's walk runs without its progress window.\n"
    "\n"
    "Commands and what they print:\n"
    "  info                  'name:', 'version:', 'filter:', 'filter pattern:',\n"
    "                        'format name:', 'interface version: 0x..',\n"
    "                        'plug-in type:', 'signatures: N', one\n"
    "                        'signature K: N bytes: <hex> \"<text>\"' line each,\n"
    "                        then 'entry points:' with '  <slot>: present|NULL'\n"
    "  play ITEM -o OUT.wav  opens a stream on ITEM, Open, Read into a buffer\n"
    "                        until it returns 0, Close, disposes of the stream;\n"
    "                        writes a WAV file in Open's format (--raw: bare\n"
    "                        PCM); prints 'format: <rate> Hz, <n> channel(s),\n"
    "                        <bits>-bit', 'bytes: <n>' and 'time: <ms> ms' (the\n"
    "                        decoded audio's duration, rounded to the nearest\n"
    "                        ms).  A refused Open prints the plug-in's own text\n"
    "                        for the error code: '<plugin> refused ITEM: <text>\n"
    "                        (error 0x........)'\n"
    "  length ITEM           GetLength: 'length: <ms> ms (m:ss)' (h:mm:ss from an\n"
    "                        hour on) or 'length: unknown (-1)'\n"
    "  identify ITEM         Identify(stream, 0, data string): 'start: <n>' and\n"
    "                        'size: <n>', or '<plugin> does not recognise ITEM'\n"
    "  about, config         the entry point with plughost's window as owner:\n"
    "                        'about: result <n>' / 'config: result <n>'\n"
    "  infobox ITEM          InfoBox(item, plughost's window): 'infobox: closed'\n"
    "  scan FILE [--extract DIR]\n"
    "                        opens FILE as container \"RAW\", searches it for the\n"
    "                        descriptor's signatures and calls ScanFile at each\n"
    "                        match, going on from the end offset it returns (or\n"
    "                        the match + 1 when it refuses); prints\n"
    "                        'movie K: start <n>, size <n>, length: ...' (the\n"
    "                        length from GetLength on an item covering just that\n"
    "                        movie) and 'movies: N'; --extract writes movie K to\n"
    "                        DIR/<FILE without extension>-K.mve\n"
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
    "  -o FILE, --raw     play's output file, and bare PCM instead of WAV\n"
    "  --buffer N         bytes asked of each Read in play (default 4608)\n"
    "  --read-chunk N     HostRead and ContainerRead deliver at most N bytes per\n"
    "                     call (a player that serves short reads)\n"
    "  --trace            every host-service call with its arguments and result,\n"
    "                     on stderr\n"
    "  --verbose          scan: the status texts ('status: <text>') and the number\n"
    "                     of chunk messages per ScanFile call; play: the number of\n"
    "                     Read calls and the last marker value\n"
    "  --dialog STEPS     works the dialogs and message boxes the plug-in shows:\n"
    "                     comma-separated steps, 100 ms apart, each on the topmost\n"
    "                     enabled dialog of plughost's thread:\n"
    "                       dump    print 'dialog \"<caption>\" at x,y size WxH',\n"
    "                               '  owner at ...' and one\n"
    "                               '  control <id> <class> \"<text>\"' line per\n"
    "                               control (CR and LF written as \\r and \\n)\n"
    "                       ID, ok, cancel   click that control (ok = 1, cancel = 2)\n"
    "                       esc     press Escape      close   send WM_CLOSE\n"
    "                       wait    let one step pass\n"
    "                     A step that finds no dialog for 5 s, or a dialog still\n"
    "                     open 3 s after the last step (it is ended), fails the run.\n"
    "  -h, --help         this text\n"
    "Options may stand anywhere on the line.\n"
    "\n"
    "plughost's window, the descriptor's hHostWindow and the owner of the\n"
    "dialogs, is a hidden top-level window at 100,100, 640 x 480 pixels.  The\n"
    "common controls (progress bar) are registered at start-up.\n"
    "\n"
    "plughost checks the plug-in as it goes, and reports on stderr as\n"
    "'plughost: plug-in fault: ...' (exit 1): a Read that returns more than asked\n"
    "or writes past its buffer, streams opened with HostOpen and never closed,\n"
    "unknown handles, host fields of handles or items written, a ResourceInfo\n"
    "with other bytes than start and size set, a descriptor that changes.\n"
    "\n"
    "Exit status: 0 success; 1 the plug-in refused, failed or broke a rule\n"
    "above; 2 bad arguments; 3 a missing or unreadable (or unwritable) file.\n"
    "A command whose entry point is NULL prints '<plugin> does not offer\n"
    "<command>' and exits 1.  'length: unknown (-1)' exits 0: -1 is the\n"
    "plug-in's answer that no length is available.\n";

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
