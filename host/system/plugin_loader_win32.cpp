/* Plug-ins as DLLs, through LoadLibrary, by their UTF-8 path. */
#include "host/system/plugin_loader.h"

#include "host/system/utf16.h"

namespace {

class Win32Loader : public PluginLoader {
public:
    ~Win32Loader() override { Unload(); }
    bool Load(const std::string &path, std::string &error) override
    {
        module_ = LoadLibraryW(Wide(path).c_str());
        if (!module_) {
            error = "LoadLibrary failed with error " + std::to_string(GetLastError());
            return false;
        }
        return true;
    }
    void *Symbol(const char *name) override
    {
        return module_ ? reinterpret_cast<void *>(GetProcAddress(module_, name)) : nullptr;
    }
    HINSTANCE Instance() override { return module_; }
    void Unload() override
    {
        if (module_)
            FreeLibrary(module_);
        module_ = nullptr;
    }

private:
    HMODULE module_ = nullptr;
};

} // namespace

std::unique_ptr<PluginLoader> MakePluginLoader() { return std::make_unique<Win32Loader>(); }

const char kPluginSuffix[] = ".dll";
