/* The module entry point of both plug-ins.  There is no run-time library to
 * start up and nothing to set up per process or thread: every value the
 * plug-ins keep is static data initialised at build time. */
#include "winapi.h"

extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }
