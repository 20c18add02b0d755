/* Reading the export and import tables of a module as the loader mapped it
 * (headers and tables are addressed by RVA from the module base). */
#ifndef TESTS_WINDOWS_HARNESS_PE_IMAGE_H
#define TESTS_WINDOWS_HARNESS_PE_IMAGE_H

#include <windows.h>

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

#endif
