/* What the page knows of each plug-in module, as Windows knows a DLL's
 * resources: its string table and its dialog templates.  The module handle
 * the host writes into a descriptor (hInstance) points to the module's
 * WebModule, so LoadStringA and the dialog calls find the resources of the
 * module that asks, as they do through an HINSTANCE on Windows.  Both
 * tables are generated from the plug-in's resource script at build time. */
#ifndef WEB_WEB_MODULE_H
#define WEB_WEB_MODULE_H

#include "common/native/string_table.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One control of a dialog template.  An edit field has no text of its own:
 * `text` is then the static text or group box written before it, which is
 * what labels it on screen. */
typedef struct WebControl {
    int id;             /* -1 for static texts */
    const char *kind;   /* the resource keyword: EDITTEXT, AUTOCHECKBOX, ... */
    const char *text;
} WebControl;

typedef struct WebDialog {
    const char *name;   /* as in the script; looked up regardless of letter case */
    const char *caption;
    const WebControl *controls;
    unsigned count;
} WebDialog;

typedef struct WebModule {
    const char *moduleName;
    const ModuleStringTable *strings;
    const WebDialog *dialogs;
    unsigned dialogCount;
} WebModule;

/* The dialog template called name in module, or NULL. */
const WebDialog *FindWebDialog(const WebModule *module, const char *name);

#ifdef __cplusplus
}
#endif

#endif
