#include "host/system/utf16.h"

std::wstring Wide(const std::string &utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

bool WideInto(const char *utf8, wchar_t *out, int capacity)
{
    return MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, capacity) > 0;
}

std::string Narrow(const wchar_t *w, UINT codePage, bool *lossless)
{
    BOOL usedDefault = FALSE;
    const bool ansi = codePage != CP_UTF8;
    const int n = WideCharToMultiByte(codePage, 0, w, -1, nullptr, 0, nullptr, ansi ? &usedDefault : nullptr);
    if (n <= 0)
        return std::string();
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w, -1, &s[0], n, nullptr, ansi ? &usedDefault : nullptr);
    s.resize(static_cast<size_t>(n - 1));
    if (lossless)
        *lossless = !usedDefault;
    return s;
}
