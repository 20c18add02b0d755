/* LoadStringA of the native stand-in.  A module's strings are the
 * ModuleStrings table it exports (string_table.h); the module handle is the
 * dlopen handle, so the table is looked up in that module alone.  The buffer
 * contract is Windows': at most n-1 characters and a NUL, the number copied
 * as the result, 0 (and an empty buffer) for a string that is not there, -1
 * and the buffer untouched for n == 0 (what the Windows build gets under
 * Wine).  A negative n or a NULL buffer, which Windows would write through,
 * get 0 and no write. */
#include "string_table.h"
#include "../winapi.h"

#include <dlfcn.h>

#include <cstring>

namespace {
const DWORD kErrorResourceTypeNotFound = 1813; /* the module has no string table */
const DWORD kErrorResourceNameNotFound = 1814; /* it has, without that string */

const ModuleString *FindString(HINSTANCE module, unsigned id)
{
    /* dlsym(NULL) would search every global module; NULL is no module here. */
    const auto *table =
        module ? static_cast<const ModuleStringTable *>(dlsym(module, MODULE_STRING_TABLE_SYMBOL)) : nullptr;
    if (!table) {
        SetLastError(kErrorResourceTypeNotFound);
        return nullptr;
    }
    for (unsigned i = 0; i < table->count; ++i)
        if (table->strings[i].id == id)
            return &table->strings[i];
    SetLastError(kErrorResourceNameNotFound);
    return nullptr;
}
} // namespace

extern "C" int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size)
{
    if (size == 0)
        return -1;
    if (!buffer || size < 0)
        return 0;
    /* Only the low word names the string, as on Windows. */
    const ModuleString *s = FindString(module, LOWORD(id));
    const size_t room = static_cast<size_t>(size) - 1;
    const size_t n = !s ? 0 : s->length < room ? s->length : room;
    if (n)
        std::memcpy(buffer, s->text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}
