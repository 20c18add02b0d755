/* plughost's entry: the command line (on Windows the wide one, as UTF-8),
 * the stop handlers, and the exit status. */
#include "host/cli/cli_args.h"
#include "host/run/commands.h"
#include "host/system/platform.h"
#include "host/report/report.h"
#include "host/system/run_stop.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif
#include <string>
#include <vector>

namespace {

int Main(const std::vector<std::string> &args)
{
    InstallStopHandlers();
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.ok) {
        report::Error("%s (plughost --help lists the commands and options)", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help || parsed.options.version) {
        if (parsed.options.help)
            report::Line("%s", UsageText());
        else
            report::Line("plughost %s\n", PLUGHOST_VERSION);
        return report::Finish() != kExitOk ? kExitNoFile
               : StopRequested() == StopReason::PipeClosed ? kExitPipeClosed
                                                            : kExitOk;
    }
    std::unique_ptr<HostDesktop> desktop = MakeHostDesktop();
    const int result = RunCommand(parsed.options, *desktop);
    RunCleanedUp();
    if (parsed.options.dropped)
        WaitIfOwnConsole();
    return result;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    /* Lines end in "\n" alone, whatever reads them. */
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n > 0 ? n : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &s[0], n, nullptr, nullptr);
        s.resize(s.size() - 1);
        args.push_back(s);
    }
    return Main(args);
}
#else
int main(int argc, char **argv)
{
    /* Unbuffered, so that what was printed survives a plug-in that crashes. */
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
