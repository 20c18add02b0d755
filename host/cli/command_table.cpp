#include "host/cli/command_table.h"

namespace {

const CommandRow kRows[] = {
    {"info", Command::Info, 0, 0, "ITEM", true, kOptJson, InfoCommand,
     "", "what each plug-in is: name, filter, entry points",
        "  info                  'name:', 'version:', 'filter:', 'filter pattern:',\n"
        "                        'format name:', 'interface version: 0x..',\n"
        "                        'plug-in type:', 'signatures: N', one\n"
        "                        'signature K: N bytes: <hex> \"<text>\"' line each,\n"
        "                        then 'entry points:' with '  <slot>: present|NULL'\n"},
    {"play", Command::Play, 1, kManyItems, "ITEM", true,
     kOptOutput | kOptOutputDir | kOptRaw | kOptNoClobber | kOptOverwrite | kOptRecursive, PlayCommand,
     "ITEM... -o OUT|-d DIR", "the sound as WAV (-o -: standard output)",
        "  play ITEM -o OUT.wav  opens a stream on ITEM, Open, Read into a buffer\n"
        "                        until it returns 0, Close, disposes of the stream;\n"
        "                        writes a WAV file in Open's format (--raw: bare\n"
        "                        PCM); prints 'format: <rate> Hz, <n> channel(s),\n"
        "                        <bits>-bit', 'bytes: <n>' and 'time: <ms> ms' (the\n"
        "                        decoded audio's duration, rounded to the nearest\n"
        "                        ms).  A refused Open prints the plug-in's own text\n"
        "                        for the error code: '<plugin> refused ITEM: <text>\n"
        "                        (error 0x........)'.  -o FILE replaces FILE (once\n"
        "                        it is complete: see Output files below).\n"
        "  play ITEM -o -        the same, the sound on standard output and every\n"
        "                        line above on standard error.  Where standard\n"
        "                        output is a file the WAV header gets its sizes as\n"
        "                        with -o FILE; on a pipe they cannot be put right\n"
        "                        afterwards, so the data size is 0x7FFFF000 and the\n"
        "                        RIFF size 0x7FFFF024: the 'size unknown' mark sox\n"
        "                        writes to pipes, which sox and ffmpeg read to the\n"
        "                        end of the stream (an odd data chunk gets no pad\n"
        "                        byte there).\n"
        "  play ITEM... -d DIR   a batch: each ITEM to DIR/<its file name>.wav\n"
        "                        (.pcm with --raw): intro.mve -> intro.mve.wav,\n"
        "                        music-4.08 -> music-4.08.wav (the type and shift\n"
        "                        are part of what tells BLB sounds apart); DIR is\n"
        "                        made if missing.  A file that exists is left alone\n"
        "                        and the item fails, unless -y.  Items of different\n"
        "                        folders with the same name would meet: the run is\n"
        "                        refused before anything is converted (exit 2).\n"
        "                        One line per item:\n"
        "                        'ITEM: <rate> Hz, <n> channel(s), <bits>-bit,\n"
        "                        <bytes> bytes, <ms> ms -> OUT', or the refusal or\n"
        "                        error; a refused or broken item does not stop the\n"
        "                        rest; the run ends with '<n> converted, <n>\n"
        "                        refused' (', <n> failed' when other errors\n"
        "                        happened).  Several ITEMs need -d.\n"},
    {"probe", Command::Probe, 1, kManyItems, "ITEM", true, kOptRecursive | kOptJson, ProbeCommand,
     "ITEM...", "decode without writing: format, time, length",
        "  probe ITEM...         Open, Read to the end and Close, writing nothing:\n"
        "                        'format: <rate> Hz, <n> channel(s), <bits>-bit;\n"
        "                        decoded: <ms> ms, <bytes> bytes; length: ...' (the\n"
        "                        last part is GetLength's answer, as below)\n"},
    {"length", Command::Length, 1, kManyItems, "ITEM", true, kOptRecursive | kOptJson, LengthCommand,
     "ITEM...", "the play length the plug-in gives",
        "  length ITEM...        GetLength: 'length: <ms> ms (m:ss)' (h:mm:ss from an\n"
        "                        hour on) or 'length: unknown (-1)'; for -1 a line on\n"
        "                        stderr tells whether the plug-in's settings may\n"
        "                        forbid measuring\n"},
    {"identify", Command::Identify, 1, kManyItems, "ITEM", true, kOptRecursive | kOptJson, IdentifyCommand,
     "ITEM...", "whether the plug-in recognises each item",
        "  identify ITEM...      Identify(stream, 0, data string): 'start: <n>' and\n"
        "                        'size: <n>', or '<plugin> does not recognise ITEM';\n"
        "                        with several ITEMs one 'start: <n>, size: <n>' line\n"},
    {"about", Command::About, 0, 0, "ITEM", false, 0, AboutCommand,
     "", "the plug-in's About box",
        "  about, config         the entry point with plughost's window as owner:\n"
        "                        'about: result <n>' / 'config: result <n>'\n"},
    {"config", Command::Config, 0, 0, "ITEM", false, 0, ConfigCommand,
     "", "the plug-in's settings dialog", nullptr},
    {"infobox", Command::InfoBox, 1, 1, "ITEM", false, 0, InfoBoxCommand,
     "ITEM", "the plug-in's info box on the item",
        "  infobox ITEM          InfoBox(item, plughost's window): 'infobox: closed'\n"},
    {"scan", Command::Scan, 1, 1, "FILE", false, kOptJson | kOptNoClobber | kOptOverwrite | kOptExtract, ScanCommand,
     "FILE [--extract DIR]", "the movies in a disc image, copied out",
        "  scan FILE [--extract DIR]\n"
        "                        opens FILE as container \"RAW\", searches it for the\n"
        "                        descriptor's signatures and calls ScanFile at each\n"
        "                        match, going on from the end offset it returns (or\n"
        "                        the match + 1 when it refuses); prints\n"
        "                        'movie K: start <n>, size <n>, length: ...' (the\n"
        "                        length from GetLength on an item covering just that\n"
        "                        movie) and 'movies: N'; --extract writes movie K to\n"
        "                        DIR/<FILE's name>-K.mve (disc.iso -> disc.iso-1.mve;\n"
        "                        DIR made if missing, files kept unless -y).  FILE\n"
        "                        may be of any size: a movie that starts past 4 GiB\n"
        "                        is found at its 64-bit start; one longer than 4 GiB\n"
        "                        is listed as 'larger than 4 GiB' and the run exits 1\n"},
};

} // namespace

const CommandRow *CommandRows(size_t &count)
{
    count = sizeof kRows / sizeof kRows[0];
    return kRows;
}

const CommandRow *FindCommand(const std::string &name)
{
    for (const CommandRow &row : kRows)
        if (name == row.name)
            return &row;
    return nullptr;
}

const CommandRow &RowOf(Command command)
{
    for (const CommandRow &row : kRows)
        if (row.command == command)
            return row;
    return kRows[0];
}

std::string CommandsTaking(uint32_t option)
{
    std::string names;
    size_t n = 0, total = 0;
    for (const CommandRow &row : kRows)
        total += (row.options & option) ? 1 : 0;
    for (const CommandRow &row : kRows) {
        if (!(row.options & option))
            continue;
        names += std::string(n == 0 ? "" : n + 1 == total ? " and " : ", ") + row.name;
        ++n;
    }
    return names;
}
