/* Calls an entry point the way the player does and measures how many bytes
 * of arguments it took off the stack on return.  A stdcall function pops
 * its own arguments (4 bytes each); one built as cdecl pops none, which
 * leaves the player's stack pointer wrong after every call.  32-bit x86
 * only: the 64-bit convention passes arguments in registers. */
#ifndef TESTS_WINDOWS_HARNESS_STDCALL_PROBE_H
#define TESTS_WINDOWS_HARNESS_STDCALL_PROBE_H

#include <cstdint>

#if defined(__i386__)
extern "C" uint32_t StackBytesPopped(const void *function, const uint32_t *args, uint32_t count, uint32_t *result);
#endif

#endif
