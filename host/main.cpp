#include "cli_args.h"
#include "commands.h"
#include "platform.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    /* Unbuffered, so that what was printed survives a plug-in that crashes. */
    std::setvbuf(stdout, nullptr, _IONBF, 0);
#ifdef _WIN32
    /* Lines end in "\n" alone, whatever reads them. */
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const ParseResult parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        std::fprintf(stderr, "plughost: %s (plughost --help lists the commands and options)\n",
                     parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(UsageText(), stdout);
        return kExitOk;
    }
    if (parsed.options.version) {
        std::printf("plughost %s\n", PLUGHOST_VERSION);
        return kExitOk;
    }
    std::unique_ptr<HostDesktop> desktop = MakeHostDesktop();
    std::unique_ptr<PluginLoader> loader = MakePluginLoader();
    return RunCommand(parsed.options, *loader, *desktop);
}
