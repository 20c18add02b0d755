/* File name patterns as Windows and the file dialogs know them: '*' any
 * run of characters, '?' any one, letter case ignored; several patterns
 * may stand in one text, separated by ';' ("*.07;*.08"). */
#ifndef HOST_WILDCARD_H
#define HOST_WILDCARD_H

#include <string>
#include <vector>

bool HasWildcards(const std::string &text);
bool WildcardMatch(const std::string &pattern, const std::string &name);
/* Whether name matches any of the ';'-separated patterns. */
bool MatchesAnyPattern(const std::string &patterns, const std::string &name);

/* The items of a command line with the patterns in their last component
 * expanded against the folder, each pattern's matches sorted; a pattern
 * that matches nothing is said on stderr and left out (unmatched gets one
 * more).  For systems whose shell leaves the expanding to the program. */
std::vector<std::string> ExpandWildcards(const std::vector<std::string> &items, size_t &unmatched);

#endif
