/* A plug-in DLL loaded into the test process exactly as the player loads
 * it: LoadLibrary, the decorated export, the four host fields written into
 * the descriptor, then Init; Shutdown (where offered) and FreeLibrary when
 * the object goes away. */
#ifndef TESTS_WINDOWS_HARNESS_LOADED_PLUGIN_H
#define TESTS_WINDOWS_HARNESS_LOADED_PLUGIN_H

#include "common/plugin_api.h"

#include <array>
#include <cstdint>
#include <string>

/* name without a folder: the file beside the running test program. */
std::string PluginPath(const char *name);

class LoadedPlugin {
public:
    static constexpr size_t kDescriptorWords = sizeof(AudioFilePlugin) / 4;
    using Words = std::array<uint32_t, kDescriptorWords>;

    LoadedPlugin(const char *dllName, const HostFileServices *services, HWND hostWindow,
                 const char *iniFileName = nullptr);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin &) = delete;
    LoadedPlugin &operator=(const LoadedPlugin &) = delete;

    /* False when loading failed; error() then says why. */
    bool ok() const { return descriptor_ != nullptr; }
    const std::string &error() const { return error_; }
    const std::string &path() const { return path_; }

    HMODULE module() const { return module_; }
    GetAudioFilePluginFn entry() const { return entry_; }
    AudioFilePlugin &plugin() const { return *descriptor_; }
    AudioFilePlugin *operator->() const { return descriptor_; }

    /* The descriptor read as raw 32-bit words, as the player reads it. */
    Words WordsNow() const;
    /* The words as GetAudioFilePlugin first returned them, before the host
     * fields were written, and right after they were written. */
    const Words &WordsBeforeHostFill() const { return before_; }
    const Words &WordsAfterHostFill() const { return after_; }

    /* Skips Shutdown on destruction (for tests that call it themselves). */
    void ForgetShutdown() { skipShutdown_ = true; }

private:
    std::string path_;
    std::string error_;
    HMODULE module_ = nullptr;
    GetAudioFilePluginFn entry_ = nullptr;
    AudioFilePlugin *descriptor_ = nullptr;
    Words before_{};
    Words after_{};
    bool skipShutdown_ = false;
};

#endif
