#include "loaded_plugin.h"

#include "player/attach.h"

#include <cstring>

std::string PluginPath(const char *name)
{
    if (std::strchr(name, '\\') || std::strchr(name, '/'))
        return name;
    char exe[MAX_PATH] = "";
    const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe, n);
    const size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    return dir + name;
}

namespace {
LoadedPlugin::Words ReadWords(const AudioFilePlugin *d)
{
    LoadedPlugin::Words w{};
    std::memcpy(w.data(), d, sizeof w);
    return w;
}
} // namespace

LoadedPlugin::LoadedPlugin(const char *dllName, const HostFileServices *services, HWND hostWindow,
                           const char *iniFileName)
    : path_(PluginPath(dllName))
{
    module_ = LoadLibraryA(path_.c_str());
    if (!module_) {
        error_ = "LoadLibrary(" + path_ + ") failed, error " + std::to_string(GetLastError());
        return;
    }
    entry_ = reinterpret_cast<GetAudioFilePluginFn>(GetProcAddress(module_, PLUGIN_EXPORT_NAME));
    if (!entry_) {
        error_ = path_ + " does not export " PLUGIN_EXPORT_NAME;
        return;
    }
    AudioFilePlugin *d = entry_();
    if (!d) {
        error_ = PLUGIN_EXPORT_NAME " returned NULL";
        return;
    }
    before_ = ReadWords(d);
    /* The player fills its four fields before Init. */
    HostFields fields;
    fields.instance = module_;
    fields.mainWindow = hostWindow;
    fields.iniFileName = iniFileName;
    fields.services = services;
    error_ = FillHostFields(*d, fields);
    if (!error_.empty())
        return;
    after_ = ReadWords(d);
    descriptor_ = d;
    if (d->Init)
        d->Init();
}

LoadedPlugin::~LoadedPlugin()
{
    if (descriptor_ && descriptor_->Shutdown && !skipShutdown_)
        descriptor_->Shutdown();
    if (module_)
        FreeLibrary(module_);
}

LoadedPlugin::Words LoadedPlugin::WordsNow() const { return ReadWords(descriptor_); }
