/* Wildcards in the items of a command line, expanded by plughost where
 * the shell leaves that to the program (the matching: player/wildcard.h). */
#ifndef HOST_EXPAND_WILDCARDS_H
#define HOST_EXPAND_WILDCARDS_H

#include "player/wildcard.h"

#include <string>
#include <vector>

/* The items of a command line with the patterns in their last component
 * expanded against the folder, each pattern's matches sorted; a pattern
 * that matches nothing is said on stderr and left out (unmatched gets one
 * more).  For systems whose shell leaves the expanding to the program. */
std::vector<std::string> ExpandWildcards(const std::vector<std::string> &items, size_t &unmatched);

#endif
