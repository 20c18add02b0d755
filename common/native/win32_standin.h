/* Test-visible side of the native Win32 stand-in. */
#ifndef COMMON_NATIVE_WIN32_STANDIN_H
#define COMMON_NATIVE_WIN32_STANDIN_H

#include "../winapi.h"

#include <string>

namespace standin {

/* Every MessageBoxA call is recorded here (natively no box can be shown). */
struct MessageBoxRecord {
    int count = 0;
    std::string text;
    std::string caption;
    unsigned type = 0;
};
MessageBoxRecord &LastMessageBox();

/* GlobalAlloc can be told to fail: the Nth call from now (1 = the next one)
 * returns NULL; 0 disables.  Counters let tests check that blocks balance. */
void FailAllocationAfter(unsigned n);
unsigned long AllocationCount();
unsigned long FreeCount();
long LiveBlocks();

} // namespace standin

#endif
