/* The plug-ins the page's host loaded (web_host.cpp), for the parts of the
 * host in other files. */
#ifndef WEB_WEB_PLUGINS_H
#define WEB_WEB_PLUGINS_H

#include "web_module.h"

#include "common/plugin_api.h"

#include <string>

/* Plug-in p's descriptor and module, or NULL. */
AudioFilePlugin *WebPlugin(int p, const WebModule **module);
/* The item record behind an id the worker holds. */
ResourceItem *WebItem(double id);

#endif
