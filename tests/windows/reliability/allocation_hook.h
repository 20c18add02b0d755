/* Puts the test in charge of loaded plug-ins' memory: their import address
 * table entries for KERNEL32!GlobalAlloc and GlobalFree are pointed at
 * counting stand-ins that call through to the real functions, and the Nth
 * allocation from a chosen moment can be made to fail.  Only the plug-ins'
 * own calls are seen; the test program's memory is its own business.  One
 * hook (one ledger) exists at a time, covering every module given to it. */
#ifndef TESTS_WINDOWS_RELIABILITY_ALLOCATION_HOOK_H
#define TESTS_WINDOWS_RELIABILITY_ALLOCATION_HOOK_H

#include <windows.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

class AllocationHook {
public:
    /* Patches the modules' imports; ok() tells whether every module's two
     * entries were found. */
    explicit AllocationHook(std::initializer_list<HMODULE> modules);
    ~AllocationHook(); /* puts the original entries back */
    AllocationHook(const AllocationHook &) = delete;
    AllocationHook &operator=(const AllocationHook &) = delete;

    bool ok() const { return error_.empty(); }
    const std::string &error() const { return error_; }

    /* The nth GlobalAlloc from now fails (1 = the next); 0 = none fails. */
    void FailNth(unsigned n);
    /* Whether the armed failure has happened. */
    bool Failed() const;

    unsigned long Allocations() const;
    unsigned long Frees() const;
    /* Blocks the plug-in allocated and has not freed. */
    size_t Live() const;
    bool Holds(const void *block) const;
    /* The host takes a block over (a ResourceInfo): it is no longer the
     * plug-in's to free, and the host frees it with the real GlobalFree. */
    void HandOver(void *block);

private:
    struct Slot {
        void **entry;
        void *original;
    };
    std::vector<Slot> patched_;
    std::string error_;
};

#endif
