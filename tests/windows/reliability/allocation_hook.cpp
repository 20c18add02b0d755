#include "allocation_hook.h"

#include <cstring>

namespace {

/* The plug-in's calls arrive here; there is one hook at a time. */
struct Ledger {
    unsigned long allocations = 0;
    unsigned long frees = 0;
    unsigned failCountdown = 0;
    bool failed = false;
    std::set<const void *> live;
} g_ledger;

HGLOBAL WINAPI CountingGlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (g_ledger.failCountdown && --g_ledger.failCountdown == 0) {
        g_ledger.failed = true;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HGLOBAL block = GlobalAlloc(flags, bytes);
    if (block) {
        ++g_ledger.allocations;
        g_ledger.live.insert(block);
    }
    return block;
}

HGLOBAL WINAPI CountingGlobalFree(HGLOBAL block)
{
    if (block) {
        ++g_ledger.frees;
        g_ledger.live.erase(block);
    }
    return GlobalFree(block);
}

/* The IAT slot of dll!function in module, found by the import's name (or,
 * where the loader kept no name table, by the address it bound). */
void **FindImportSlot(HMODULE module, const char *dll, const char *function, const void *bound)
{
    auto *base = reinterpret_cast<uint8_t *>(module);
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return nullptr;
    for (auto *imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (lstrcmpiA(reinterpret_cast<const char *>(base + imp->Name), dll) != 0)
            continue;
        auto *iat = reinterpret_cast<IMAGE_THUNK_DATA *>(base + imp->FirstThunk);
        auto *names = imp->OriginalFirstThunk
                          ? reinterpret_cast<IMAGE_THUNK_DATA *>(base + imp->OriginalFirstThunk)
                          : nullptr;
        for (size_t i = 0; iat[i].u1.Function; ++i) {
            if (names && !(names[i].u1.Ordinal & IMAGE_ORDINAL_FLAG)) {
                auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names[i].u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char *>(byName->Name), function) == 0)
                    return reinterpret_cast<void **>(&iat[i].u1.Function);
            } else if (reinterpret_cast<const void *>(iat[i].u1.Function) == bound) {
                return reinterpret_cast<void **>(&iat[i].u1.Function);
            }
        }
    }
    return nullptr;
}

void Patch(void **slot, void *value)
{
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

} // namespace

AllocationHook::AllocationHook(std::initializer_list<HMODULE> modules)
{
    g_ledger = Ledger();
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    void *realAlloc = reinterpret_cast<void *>(GetProcAddress(kernel, "GlobalAlloc"));
    void *realFree = reinterpret_cast<void *>(GetProcAddress(kernel, "GlobalFree"));
    for (HMODULE module : modules) {
        void **allocSlot = FindImportSlot(module, "kernel32.dll", "GlobalAlloc", realAlloc);
        void **freeSlot = FindImportSlot(module, "kernel32.dll", "GlobalFree", realFree);
        if (!allocSlot || !freeSlot) {
            error_ = "a plug-in's imports of KERNEL32!GlobalAlloc and GlobalFree were not found";
            continue;
        }
        patched_.push_back({allocSlot, *allocSlot});
        patched_.push_back({freeSlot, *freeSlot});
        Patch(allocSlot, reinterpret_cast<void *>(&CountingGlobalAlloc));
        Patch(freeSlot, reinterpret_cast<void *>(&CountingGlobalFree));
    }
}

AllocationHook::~AllocationHook()
{
    for (const Slot &slot : patched_)
        Patch(slot.entry, slot.original);
}

void AllocationHook::FailNth(unsigned n)
{
    g_ledger.failCountdown = n;
    g_ledger.failed = false;
}

bool AllocationHook::Failed() const { return g_ledger.failed; }
unsigned long AllocationHook::Allocations() const { return g_ledger.allocations; }
unsigned long AllocationHook::Frees() const { return g_ledger.frees; }
size_t AllocationHook::Live() const { return g_ledger.live.size(); }
bool AllocationHook::Holds(const void *block) const { return g_ledger.live.count(block) != 0; }
void AllocationHook::HandOver(void *block) { g_ledger.live.erase(block); }
