/* Reading the export and import tables of a module as the loader mapped it
 * (headers and tables are addressed by RVA from the module base). */
#ifndef TESTS_WINDOWS_HARNESS_PE_IMAGE_H
#define TESTS_WINDOWS_HARNESS_PE_IMAGE_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct PeExport {
    std::string name;      /* empty for an export by ordinal only */
    unsigned ordinal;
    const void *address;
};

struct PeImport {
    std::string dll;
    std::vector<std::string> functions; /* "#n" for imports by ordinal */
};

/* False (with the tables left empty) when the image is not a 32-bit PE. */
bool ReadExports(HMODULE module, std::vector<PeExport> &exports);
bool ReadImports(HMODULE module, std::vector<PeImport> &imports);

/* Whether a 32-bit address (a descriptor word, say) points into the image. */
bool InsideModule(HMODULE module, uintptr_t address);
/* The string a 32-bit descriptor word points at. */
inline const char *StringAtWord(uint32_t word) { return reinterpret_cast<const char *>(static_cast<uintptr_t>(word)); }
/* Module names compare without regard to case. */
std::string LowerCase(std::string s);

#endif
