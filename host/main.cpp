/* plughost's own entry (the system's calls it): the command line, the
 * stop handlers, and the exit status. */
#include "host/cli/cli_args.h"
#include "host/run/commands.h"
#include "host/system/platform.h"
#include "host/report/report.h"
#include "host/system/console.h"
#include "host/system/run_stop.h"

#include <string>
#include <vector>

int PlughostMain(const std::vector<std::string> &args)
{
    InstallStopHandlers();
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.ok) {
        report::Error("%s (plughost --help lists the commands and options)", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help || parsed.options.helpAll || parsed.options.version) {
        if (parsed.options.help || parsed.options.helpAll)
            report::Line("%s", UsageText(parsed.options.helpAll).c_str());
        else
            report::Line("plughost %s\n", PLUGHOST_VERSION);
        return report::Finish() != kExitOk ? kExitNoFile
               : StopRequested() == StopReason::PipeClosed ? kExitPipeClosed
                                                            : kExitOk;
    }
    DesktopWords words;
    words.line = [](const std::string &text) { report::Line("%s", text.c_str()); };
    words.error = [](const std::string &text) { report::Error("%s", text.c_str()); };
    std::unique_ptr<HostDesktop> desktop = MakeHostDesktop(words);
    const int result = RunCommand(parsed.options, *desktop);
    RunCleanedUp();
    if (parsed.options.dropped)
        WaitIfOwnConsole();
    return result;
}

