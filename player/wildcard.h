/* File name patterns as Windows and the file dialogs know them: '*' any
 * run of characters, '?' any one, letter case ignored; several patterns
 * may stand in one text, separated by ';' ("*.07;*.08").  Names are UTF-8
 * and matched by character: '?' stands for one character however many
 * bytes it takes, and a '*' never gives back half of one. */
#ifndef PLAYER_WILDCARD_H
#define PLAYER_WILDCARD_H

#include <string>

bool HasWildcards(const std::string &text);
bool WildcardMatch(const std::string &pattern, const std::string &name);
/* Whether name matches any of the ';'-separated patterns. */
bool MatchesAnyPattern(const std::string &patterns, const std::string &name);

#endif
