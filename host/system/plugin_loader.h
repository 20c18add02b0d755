/* Loading a plug-in module: LoadLibrary/GetProcAddress/FreeLibrary on
 * Windows, dlopen/dlsym/dlclose natively.  plughost and the benchmarks load
 * their plug-ins through it. */
#ifndef HOST_SYSTEM_PLUGIN_LOADER_H
#define HOST_SYSTEM_PLUGIN_LOADER_H

#include "common/plugin_api.h"

#include <memory>
#include <string>

class PluginLoader {
public:
    virtual ~PluginLoader() = default;
    virtual bool Load(const std::string &path, std::string &error) = 0;
    virtual void *Symbol(const char *name) = 0;
    virtual HINSTANCE Instance() = 0;
    virtual void Unload() = 0;
};

std::unique_ptr<PluginLoader> MakePluginLoader();

/* The file name ending of a plug-in module: ".dll", natively ".so". */
extern const char kPluginSuffix[];

#endif
