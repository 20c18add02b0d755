/* A native module's string table: what a Windows module keeps as RT_STRING
 * resources.  tools/rc_string_table generates one from a module's resource
 * script at build time; the module exports it under MODULE_STRING_TABLE_SYMBOL
 * and the stand-in's LoadStringA finds it there through the module handle
 * (natively the dlopen handle). */
#ifndef COMMON_NATIVE_STRING_TABLE_H
#define COMMON_NATIVE_STRING_TABLE_H

#ifdef __cplusplus
extern "C" {
#endif

/* One string: its bytes in the ANSI code page, as LoadStringA hands them out;
 * `length` counts them all (a text may hold NULs). */
typedef struct ModuleString {
    unsigned short id;
    unsigned short length;
    const char *text;
} ModuleString;

typedef struct ModuleStringTable {
    unsigned count;
    const ModuleString *strings;
} ModuleStringTable;

#define MODULE_STRING_TABLE_SYMBOL "ModuleStrings"
extern const ModuleStringTable ModuleStrings;

#ifdef __cplusplus
}
#endif

#endif
