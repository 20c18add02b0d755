/* The program's entry on Windows: wmain, so the command line arrives as
 * UTF-16 with every name intact, and goes on as UTF-8. */
#include "host/system/console.h"

#include "host/system/utf16.h"

#include <fcntl.h>
#include <io.h>

int wmain(int argc, wchar_t **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    /* Lines end in "\n" alone, whatever reads them. */
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8(argv[i]));
    return PlughostMain(args);
}
