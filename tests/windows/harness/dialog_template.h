/* Dialog templates read back from a module's RT_DIALOG resources, in either
 * the classic or the extended layout, with texts converted to ANSI. */
#ifndef TESTS_WINDOWS_HARNESS_DIALOG_TEMPLATE_H
#define TESTS_WINDOWS_HARNESS_DIALOG_TEMPLATE_H

#include <windows.h>

#include <string>
#include <vector>

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;            /* -1 for the usual "no ID" */
    std::string className; /* predefined classes by name: "Button", "Edit", "Static", ... */
    std::string text;      /* "#n" for a resource ordinal */
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu, className, caption;
    bool hasFont = false;
    WORD pointSize = 0;
    std::string typeface;
    std::vector<DialogItemTemplate> items;

    /* The first item with this ID and text, or NULL. */
    const DialogItemTemplate *Find(int id, const std::string &text) const;
};

/* Parses size bytes at data; false if the block is malformed or too short. */
bool ParseDialogTemplate(const void *data, size_t size, DialogTemplate &out);
/* Finds the named RT_DIALOG resource of module and parses it. */
bool LoadDialogTemplate(HMODULE module, const char *name, DialogTemplate &out);

/* A UTF-16 run of a resource as ANSI text (code page 1252). */
std::string Narrow(const WCHAR *text, size_t length);

#endif
