#include "pe_image.h"

#include <algorithm>
#include <cctype>

namespace {
const IMAGE_NT_HEADERS *NtHeaders(HMODULE module)
{
    const BYTE *base = reinterpret_cast<const BYTE *>(module);
    if (!base)
        return nullptr;
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return nullptr;
    return nt;
}

template <typename T> const T *At(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T *>(reinterpret_cast<const BYTE *>(module) + rva);
}

const IMAGE_DATA_DIRECTORY *Directory(const IMAGE_NT_HEADERS *nt, unsigned index)
{
    if (nt->OptionalHeader.NumberOfRvaAndSizes <= index)
        return nullptr;
    const IMAGE_DATA_DIRECTORY *dir = &nt->OptionalHeader.DataDirectory[index];
    return dir->VirtualAddress && dir->Size ? dir : nullptr;
}
} // namespace

bool ReadExports(HMODULE module, std::vector<PeExport> &exports)
{
    exports.clear();
    const IMAGE_NT_HEADERS *nt = NtHeaders(module);
    if (!nt)
        return false;
    const IMAGE_DATA_DIRECTORY *dir = Directory(nt, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (!dir)
        return true; /* a module may export nothing */
    const IMAGE_EXPORT_DIRECTORY *ed = At<IMAGE_EXPORT_DIRECTORY>(module, dir->VirtualAddress);
    const DWORD *functions = At<DWORD>(module, ed->AddressOfFunctions);
    const DWORD *names = At<DWORD>(module, ed->AddressOfNames);
    const WORD *nameOrdinals = At<WORD>(module, ed->AddressOfNameOrdinals);
    for (DWORD i = 0; i < ed->NumberOfFunctions; ++i) {
        if (!functions[i])
            continue;
        PeExport e;
        e.ordinal = ed->Base + i;
        e.address = At<void>(module, functions[i]);
        for (DWORD k = 0; k < ed->NumberOfNames; ++k)
            if (nameOrdinals[k] == i)
                e.name = At<char>(module, names[k]);
        exports.push_back(e);
    }
    return true;
}

bool ReadImports(HMODULE module, std::vector<PeImport> &imports)
{
    imports.clear();
    const IMAGE_NT_HEADERS *nt = NtHeaders(module);
    if (!nt)
        return false;
    const IMAGE_DATA_DIRECTORY *dir = Directory(nt, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!dir)
        return true;
    for (const IMAGE_IMPORT_DESCRIPTOR *d = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir->VirtualAddress);
         d->Name; ++d) {
        PeImport imp;
        imp.dll = At<char>(module, d->Name);
        /* The lookup table keeps the names; the address table was bound. */
        if (d->OriginalFirstThunk) {
            for (const IMAGE_THUNK_DATA *t = At<IMAGE_THUNK_DATA>(module, d->OriginalFirstThunk);
                 t->u1.AddressOfData; ++t) {
                if (t->u1.Ordinal & IMAGE_ORDINAL_FLAG)
                    imp.functions.push_back("#" + std::to_string(t->u1.Ordinal & 0xFFFF));
                else
                    imp.functions.push_back(
                        reinterpret_cast<const char *>(At<IMAGE_IMPORT_BY_NAME>(module, t->u1.AddressOfData)->Name));
            }
        }
        imports.push_back(imp);
    }
    return true;
}

bool InsideModule(HMODULE module, uintptr_t address)
{
    const BYTE *base = reinterpret_cast<const BYTE *>(module);
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const uintptr_t start = reinterpret_cast<uintptr_t>(base);
    return address >= start && address < start + nt->OptionalHeader.SizeOfImage;
}

std::string LowerCase(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}
