#include "host/system/console.h"

#include "host/system/utf16.h"

#include <io.h>

#include <cerrno>

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool WriteText(std::FILE *to, const std::string &text)
{
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(to)));
    DWORD mode;
    if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
        std::fflush(to);
        const std::wstring wide = Wide(text);
        DWORD written = 0;
        return WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    errno = 0;
    return std::fwrite(text.data(), 1, text.size(), to) == text.size() && std::fflush(to) == 0;
}
