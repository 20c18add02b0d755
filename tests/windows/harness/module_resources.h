/* A module's string table and version block, read the way the player and
 * Explorer read them. */
#ifndef TESTS_WINDOWS_HARNESS_MODULE_RESOURCES_H
#define TESTS_WINDOWS_HARNESS_MODULE_RESOURCES_H

#include <windows.h>
#include <winver.h>

#include <map>
#include <string>
#include <vector>

/* The strings of one RT_STRING block in one language, keyed by ID (empty
 * slots left out).  False when the block does not exist in that language. */
bool ReadStringBlock(HMODULE module, unsigned id, WORD language, std::map<unsigned, std::string> &out);

/* LoadStringA's view of an ID ("" when absent). */
std::string LoadModuleString(HMODULE module, unsigned id);

struct VersionBlock {
    VS_FIXEDFILEINFO fixed{};
    std::vector<DWORD> translations; /* language in the low word, code page in the high word */
    std::vector<BYTE> raw;

    /* A value of the "\StringFileInfo\<table>\" table, or false. */
    bool Value(const char *table, const char *key, std::string &out) const;
};

/* The version block of the file at path; false when it has none. */
bool ReadVersionBlock(const std::string &path, VersionBlock &out);

#endif
