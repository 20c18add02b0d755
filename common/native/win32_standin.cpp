/* Native stand-in for the few Win32 services the plug-ins call, so their
 * window-less code runs on Linux under the sanitizers.  Each behaves as the
 * plug-ins rely on: GlobalAlloc zero-fills, MulDiv rounds half away from zero
 * with a 64-bit intermediate, and no window can ever be created. */
#include "win32_standin.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {
thread_local DWORD t_lastError = 0;
unsigned g_failCountdown = 0;
unsigned long g_allocs = 0;
unsigned long g_frees = 0;
} // namespace

namespace standin {
void FailAllocationAfter(unsigned n) { g_failCountdown = n; }
unsigned long AllocationCount() { return g_allocs; }
unsigned long FreeCount() { return g_frees; }
long LiveBlocks() { return static_cast<long>(g_allocs) - static_cast<long>(g_frees); }
} // namespace standin

extern "C" {

HGLOBAL GlobalAlloc(UINT flags, size_t bytes)
{
    if (g_failCountdown != 0 && --g_failCountdown == 0)
        return nullptr;
    void *p = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (p)
        ++g_allocs;
    return p;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    if (block) {
        ++g_frees;
        std::free(block);
    }
    return nullptr; /* success */
}

void SetLastError(DWORD code) { t_lastError = code; }
DWORD GetLastError(void) { return t_lastError; }

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    long long quotient = product / denominator;
    const long long rest = product % denominator;
    const long long absRest = rest < 0 ? -rest : rest;
    const long long absDen = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
    if (2 * absRest >= absDen)
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    if (quotient > 2147483647LL || quotient < -2147483647LL)
        return -1;
    return static_cast<int>(quotient);
}

int lstrcmpA(LPCSTR a, LPCSTR b)
{
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    return std::strcmp(a, b);
}

int lstrcmpiA(LPCSTR a, LPCSTR b)
{
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    for (;; ++a, ++b) {
        const int ca = std::tolower(static_cast<unsigned char>(*a));
        const int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

LPSTR lstrcpyA(LPSTR dst, LPCSTR src) { return std::strcpy(dst, src); }

int wsprintfA(LPSTR out, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(out, 1025, format, args); /* wsprintf stops at 1024 characters */
    va_end(args);
    return n > 1024 ? 1024 : n;
}

BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

DWORD GetTickCount(void)
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(ts.tv_sec * 1000u + ts.tv_nsec / 1000000);
}

/* --- INI files: the subset of the profile API the plug-ins use ------------ */

} /* extern "C" */

namespace {
std::string Trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool SameText(const std::string &a, const char *b) { return lstrcmpiA(a.c_str(), b) == 0; }

/* Plain stdio rather than streams: the stand-in also goes into the browser
 * page's module, where every kilobyte of run-time library counts. */
std::vector<std::string> ReadLines(const char *file)
{
    std::vector<std::string> lines;
    std::FILE *in = std::fopen(file, "rb");
    if (!in)
        return lines;
    std::string line;
    bool any = false;
    for (int c; (c = std::fgetc(in)) != EOF;) {
        any = true;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
            any = false;
        } else {
            line += static_cast<char>(c);
        }
    }
    if (any) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    std::fclose(in);
    return lines;
}

bool IsSection(const std::string &line, std::string *name)
{
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    *name = Trim(t.substr(1, t.size() - 2));
    return true;
}

bool IsKey(const std::string &line, const char *key, std::string *value)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos || !SameText(Trim(line.substr(0, eq)), key))
        return false;
    *value = Trim(line.substr(eq + 1));
    return true;
}
} // namespace

extern "C" {

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size,
                               LPCSTR file)
{
    if (!out || size == 0)
        return 0;
    std::string value = fallback ? fallback : "";
    bool inSection = false;
    for (const std::string &line : ReadLines(file ? file : "")) {
        std::string name;
        if (IsSection(line, &name))
            inSection = SameText(name, section);
        else if (inSection && IsKey(line, key, &name)) {
            value = name;
            break;
        }
    }
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    if (!section || !key || !file)
        return FALSE;
    std::vector<std::string> lines = ReadLines(file);
    const std::string entry = std::string(key) + "=" + (value ? value : "");
    bool inSection = false, done = false;
    size_t sectionEnd = lines.size();
    bool haveSection = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name;
        if (IsSection(lines[i], &name)) {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = SameText(name, section);
            haveSection = haveSection || inSection;
        } else if (inSection && IsKey(lines[i], key, &name)) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (haveSection)
            lines.insert(lines.begin() + static_cast<long>(sectionEnd), entry);
        else {
            lines.push_back(std::string("[") + section + "]");
            lines.push_back(entry);
        }
    }
    std::FILE *outFile = std::fopen(file, "wb");
    if (!outFile)
        return FALSE;
    bool ok = true;
    for (const std::string &line : lines)
        ok = std::fputs(line.c_str(), outFile) >= 0 && std::fputs("\r\n", outFile) >= 0 && ok;
    return std::fclose(outFile) == 0 && ok ? TRUE : FALSE;
}

} /* extern "C" */
