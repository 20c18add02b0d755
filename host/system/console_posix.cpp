#include "host/system/console.h"

#include <cerrno>

#include <unistd.h>

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

bool WriteText(std::FILE *to, const std::string &text)
{
    errno = 0;
    return std::fwrite(text.data(), 1, text.size(), to) == text.size() && std::fflush(to) == 0;
}
