/* What a plug-in's descriptor says, read as the player reads it: its
 * texts with a bound, its file filter pairs, the signatures worth
 * searching for, and the words its string table has for a refusal. */
#ifndef PLAYER_PLUGIN_TEXTS_H
#define PLAYER_PLUGIN_TEXTS_H

#include "signature_search.h"

#include "common/plugin_api.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/* A plug-in string, read with a bound so a broken pointer target cannot
 * run on without end; "(null)" for none. */
std::string PluginText(const char *s, size_t limit = 1024);

/* One pair of the file filter: what the file dialog shows, and the
 * ';'-separated patterns it matches ("*.07;*.08"). */
struct FilterPair {
    std::string description;
    std::string patterns;
};

/* The most pairs a file filter is read for. */
constexpr size_t kMaxFilterPairs = 16;

/* Every pair of a filter ("Text\0*.a;*.b\0...\0\0"), up to the empty
 * text that ends it (or kMaxFilterPairs); none for NULL. */
std::vector<FilterPair> FilterPairs(const char *filter);
/* The patterns of every pair, joined with ';' ("" when there are none). */
std::string FilterPatterns(const AudioFilePlugin &d);

/* The most signatures read from a descriptor, and the longest one used:
 * an item's first kMaxSignatureBytes are what signatures are tried on. */
constexpr uint32_t kMaxSignatures = 64;
constexpr uint32_t kMaxSignatureBytes = 4096;

/* The descriptor's usable signatures (bytes given, 1 to
 * kMaxSignatureBytes long), in its order. */
std::vector<Signature> Signatures(const AudioFilePlugin &d);

/* The text of a last-error code from the string table of the module the
 * descriptor came from (hInstance); "" when it has none. */
std::string RefusalText(const AudioFilePlugin &d, DWORD code);

#endif
