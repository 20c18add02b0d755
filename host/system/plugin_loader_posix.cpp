/* Plug-ins as shared libraries, through dlopen. */
#include "host/system/plugin_loader.h"

#include <dlfcn.h>

namespace {

/* "_Name@8" -> "Name": the undecorated name a stdcall export has on a system
 * without stdcall decoration.  Other names come back unchanged. */
std::string Undecorated(const char *name)
{
    std::string s = name;
    const size_t at = s.rfind('@');
    if (s.size() > 1 && s[0] == '_' && at != std::string::npos && at > 1 && at + 1 < s.size() &&
        s.find_first_not_of("0123456789", at + 1) == std::string::npos)
        return s.substr(1, at - 1);
    return s;
}

class PosixLoader : public PluginLoader {
public:
    ~PosixLoader() override { Unload(); }
    bool Load(const std::string &path, std::string &error) override
    {
        /* A name without a slash would make dlopen search the library path. */
        const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
        module_ = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module_) {
            const char *why = dlerror();
            error = why ? why : "dlopen failed";
            return false;
        }
        return true;
    }
    void *Symbol(const char *name) override
    {
        if (!module_)
            return nullptr;
        if (void *p = dlsym(module_, name))
            return p;
        return dlsym(module_, Undecorated(name).c_str());
    }
    /* The module handle the descriptor is given: dlopen's handle stands in
     * for the instance handle (the plug-ins only pass it back to the
     * system). */
    HINSTANCE Instance() override { return module_; }
    void Unload() override
    {
        if (module_)
            dlclose(module_);
        module_ = nullptr;
    }

private:
    void *module_ = nullptr;
};

} // namespace

std::unique_ptr<PluginLoader> MakePluginLoader() { return std::make_unique<PosixLoader>(); }

const char kPluginSuffix[] = ".so";
