/* Windows only: the one converter between the UTF-8 plughost speaks and
 * the UTF-16 of the wide Windows functions (and the 8-bit code pages). */
#ifndef HOST_SYSTEM_UTF16_H
#define HOST_SYSTEM_UTF16_H

#include <windows.h>

#include <string>

/* UTF-8 as UTF-16 (embedded NULs kept). */
std::wstring Wide(const std::string &utf8);
/* A NUL-terminated UTF-8 text into out (capacity wide characters), with no
 * allocation, for a signal handler; false when it does not fit. */
bool WideInto(const char *utf8, wchar_t *out, int capacity);
/* NUL-terminated UTF-16 in codePage (CP_UTF8, CP_ACP); lossless: whether
 * every character had a spelling there. */
std::string Narrow(const wchar_t *w, UINT codePage, bool *lossless = nullptr);
inline std::string Utf8(const wchar_t *w) { return Narrow(w, CP_UTF8); }

#endif
