/* plughost's help: --help, a short page of the everyday uses and the
 * commands, and --help-all, the reference of every command, option,
 * output line and exit status (the manual page is made from it).  The
 * commands' parts of both come from the command table. */
#include "host/cli/cli_args.h"
#include "host/cli/command_table.h"

#include <cstdio>
#include <string>

namespace {

const char kReferenceHead[] =
    "Usage: plughost [options] PLUGIN COMMAND [ARGS...]\n"
    "       plughost [options] info|play|probe|length|identify [ARGS...]\n"
    "       plughost FILE...\n"
    "\n"
    "Loads an audio decoder plug-in the way the player does -- LoadLibrary, the\n"
    "export \"_GetAudioFilePlugin@0\", the descriptor's hInstance, hHostWindow,\n"
    "iniFileName and hostServices filled in, Init -- drives one entry point,\n"
    "and calls Shutdown at the end.  Items are served from files on disk through\n"
    "the player's seven stream services.\n"
    "\n"
    "PLUGIN   a path to a plug-in DLL, or a bare name (\"tasbrin\", \"velmora\")\n"
    "         looked up as NAME.dll beside plughost.exe.  Without it (the first\n"
    "         word a command) every plug-in beside plughost is loaded and each\n"
    "         item goes to the one the player would choose: the one whose\n"
    "         descriptor signature the item starts with, else the one whose\n"
    "         file filter patterns match its name; an item no plug-in takes is\n"
    "         refused ('ITEM: no plug-in takes it (tried ...)').  info then\n"
    "         lists every plug-in, a blank line between.\n"
    "FILE...  only existing files, as when they are dropped onto plughost.exe:\n"
    "         each is played, with the plug-in chosen as above, into a WAV file\n"
    "         beside it (FILE.wav, the rule of -d; one that exists is skipped);\n"
    "         the run ends with the summary line, and on Windows, when the\n"
    "         console window is plughost's own, waits for Enter.\n"
    "\n"
    "The Linux build (plughost) loads NAME.so through dlopen and the export\n"
    "\"GetAudioFilePlugin\"; there no window can be created, so the dialogs\n"
    "fail (result -1) and velmora's walk runs without its progress window.\n"
    "\n"
    "Examples:\n"
    "  plughost velmora play movie.mve -o movie.wav\n"
    "  plughost velmora play *.mve -d wav            wav/NAME.mve.wav for each\n"
    "  plughost velmora play movie.mve -o - | sox -t wav - movie.flac\n"
    "  plughost velmora probe *.mve\n"
    "  plughost velmora length movie.mve --set NoWalk=off\n"
    "  plughost tasbrin play music-4.08 -o music.wav\n"
    "\n"
    "Commands and what they print:\n";

const char kReferenceTail[] =
    "With several ITEMs, probe, length and identify print one line per item,\n"
    "'ITEM: ' in front; an item that fails does not stop the rest.\n"
    "Items must be regular files of at most 4 GiB (the plug-ins count bytes in 32\n"
    "bits): a folder, FIFO, device or pipe is 'not a regular file: the plug-ins\n"
    "need to seek in it'.  On Windows plughost expands * and ? in ITEMs itself\n"
    "(sorted), as the command window does not.\n"
    "\n"
    "Output files (-o FILE, -d DIR, --extract DIR) are written under a temporary\n"
    "name (.NAME.<n>.part) in their folder and take their name only once they\n"
    "are complete; a failure removes them and says the system's reason.  An\n"
    "output that is the same file as an input of the run refuses the run\n"
    "(exit 2).  Devices, pipes and terminals are written directly.\n"
    "\n"
    "Item options:\n"
    "  --container NAME   short name of the items' container (default \"BLB\")\n"
    "  --data STRING      the item's data string (default: ITEM's file name)\n"
    "  --name NAME        the item's resource name (default: ITEM's file name)\n"
    "  --cached-length N  the item's cached play length in ms (default -1)\n"
    "\n"
    "Host options:\n"
    "  --ini FILE         the INI file given to the plug-in (default: plughost.ini\n"
    "                     beside plughost, or natively, when that folder or file\n"
    "                     may not be written, $XDG_CONFIG_HOME/plughost/plughost.ini\n"
    "                     (~/.config/plughost/plughost.ini))\n"
    "  --set KEY=VALUE    a setting for this run only (repeatable): the plug-in\n"
    "                     gets a temporary copy of the INI file with KEY=VALUE in\n"
    "                     its section (named after the plug-in); the INI file\n"
    "                     itself is not changed, and Shutdown writes into the\n"
    "                     copy, which is then deleted\n"
    "  -o FILE, --raw     play's output file ('-': standard output), and bare\n"
    "                     PCM instead of WAV\n"
    "  -d DIR, --output-dir DIR\n"
    "                     play's output folder for one or several items\n"
    "  -y, --overwrite    -d and --extract may replace files that exist\n"    "  -n, --no-clobber   play and --extract skip an item whose output exists\n"
    "                     ('ITEM: OUT exists, skipped'; complete files only\n"
    "                     exist); the summary counts them: '<n> converted, <n>\n"
    "                     skipped, <n> refused'.  Not with -y.\n"
    "  -r, --recursive    folders among the ITEMs of play, probe, length and\n"
    "                     identify are walked (sorted, each folder's files first)\n"
    "                     for the files some plug-in's file filter matches (with\n"
    "                     a PLUGIN named, its patterns); with -d DIR the tree is\n"
    "                     mirrored under DIR.  Links back into a walked folder\n"
    "                     are not followed again.  Without -r a folder is refused.\n"
    "  --json             info, probe, length, identify and scan print one JSON\n"
    "                     array on standard output instead of their lines, one\n"
    "                     object per item (per plug-in for info, per movie for\n"
    "                     scan); messages stay on standard error, the exit status\n"
    "                     is the same.  Every object has item, plugin and error\n"
    "                     (null when none); probe: sample_rate, channels, bits,\n"
    "                     decoded_ms, decoded_bytes, length_ms, refusal {text,\n"
    "                     code}; length: length_ms; identify: recognised, start,\n"
    "                     size; scan: movie, start, size, length_ms,\n"
    "                     larger_than_4gib, extracted; info: plugin, name,\n"
    "                     version, filter, filter_pattern, format_name,\n"
    "                     interface_version, plugin_type, signatures (hex),\n"
    "                     entry_points {slot: true|false}.  A value not known is\n"
    "                     null.\n"
    "  -q, --quiet        no progress line.  Without it, when standard error is\n"
    "                     a terminal, work on an item that takes longer than\n"
    "                     half a second shows one line, rewritten in place and\n"
    "                     erased at the end: '[k/n] ITEM  p%' (the share of the\n"
    "                     item's bytes read)\n"
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
    "  -h, --help         a short summary: the everyday uses and the commands\n"
    "  --help-all         this text\n"
    "  --version          'plughost <version>'\n"
    "Options may stand anywhere on the line; after '--' every word is an\n"
    "argument.\n"
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
    "A WAV file of an item that failed after it was begun is removed.\n"
    "\n"
    "Exit status: 0 success; 1 the plug-in refused, failed or broke a rule\n"
    "above, or, with several items, any item failed; 2 bad arguments, or outputs\n"
    "that would meet or destroy an input (nothing was done); 3 a missing or\n"
    "unreadable (or unwritable) file or folder, or a report that could not be\n"
    "written; 130 interrupted (Ctrl-C, SIGTERM, on Windows Ctrl-Break or the\n"
    "console window closed): what was being written is removed, finished files\n"
    "stay, and the last line says after which item the run stopped; 141 the\n"
    "reader of standard output went away (nothing more is said).\n"
    "A command whose entry point is NULL prints '<plugin> does not offer\n"
    "<command>' and exits 1.  'length: unknown (-1)' exits 0: -1 is the\n"
    "plug-in's answer that no length is available.\n";

const char kShortHead[] =
    "Usage: plughost [options] PLUGIN COMMAND [ARGS...]\n"
    "       plughost [options] info|play|probe|length|identify [ARGS...]\n"
    "       plughost FILE...\n"
    "\n"
    "Converts the sound of MVE movies and BLB sounds to WAV files with the\n"
    "player's own plug-ins, and tells what they find in them.\n"
    "\n"
    "Everyday uses:\n"
    "  plughost play movie.mve -o movie.wav       convert a file\n"
    "  plughost play -r movies -d wav             convert a folder, its tree kept\n"
    "  plughost velmora scan disc.iso --extract movies\n"
    "                                             find the movies in a disc image\n"
    "  plughost probe *.mve                       what each file holds, unwritten\n"
    "  plughost FILE...                           each FILE.wav beside its FILE\n"
    "\n"
    "PLUGIN is velmora (MVE movies), tasbrin (BLB sounds) or a plug-in's path;\n"
    "without it (commands marked *) each item goes to the plug-in that takes it.\n"
    "\n"
    "Commands:\n";

const char kShortTail[] =
    "\n"
    "Everyday options: -o OUT (- for standard output), -d DIR, -r (walk folders),\n"
    "-n (skip outputs that exist), -y (replace them), -q (no progress line),\n"
    "--json, --set KEY=VALUE (a plug-in setting for this run).\n"
    "\n"
    "plughost --help-all tells every option, what each command prints, the\n"
    "rules of output files and the exit statuses; so does man plughost.\n";

} // namespace

std::string UsageText(bool all)
{
    size_t count = 0;
    const CommandRow *rows = CommandRows(count);
    std::string text = all ? kReferenceHead : kShortHead;
    for (size_t i = 0; i < count; ++i) {
        const CommandRow &row = rows[i];
        if (all) {
            if (row.reference)
                text += row.reference;
            continue;
        }
        const std::string left = std::string(row.name) + (row.chooses ? " * " : " ") + row.synopsis;
        char line[160];
        std::snprintf(line, sizeof line, "  %-30s %s\n", left.c_str(), row.summary);
        text += line;
    }
    return text + (all ? kReferenceTail : kShortTail);
}
