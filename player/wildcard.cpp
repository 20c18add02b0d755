#include "wildcard.h"

namespace {

char Lower(char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); }

bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t NextCharacter(const std::string &s, size_t i)
{
    for (++i; i < s.size() && Continues(s[i]); ++i) {
    }
    return i;
}

} // namespace

bool HasWildcards(const std::string &text) { return text.find_first_of("*?") != std::string::npos; }

bool WildcardMatch(const std::string &pattern, const std::string &name)
{
    /* Greedy with one point to come back to: linear in practice. */
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = NextCharacter(name, n);
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && Lower(pattern[p]) == Lower(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = mark = NextCharacter(name, mark);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool MatchesAnyPattern(const std::string &patterns, const std::string &name)
{
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos)
            end = patterns.size();
        const std::string one = patterns.substr(start, end - start);
        if (!one.empty() && WildcardMatch(one, name))
            return true;
        start = end + 1;
    }
    return false;
}
