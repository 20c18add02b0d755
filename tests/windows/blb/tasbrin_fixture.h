/* tasbrin loaded as the player loads it, over the in-memory host, with a
 * real main window for its dialogs to belong to. */
#ifndef TESTS_WINDOWS_BLB_TASBRIN_FIXTURE_H
#define TESTS_WINDOWS_BLB_TASBRIN_FIXTURE_H

#include "host_window.h"
#include "loaded_plugin.h"
#include "support/memory_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#define TASBRIN_NAME "ORV TIRLEN Audio File Decoder"

class Tasbrin : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<HostWindow>();
        ASSERT_NE(window->hwnd(), nullptr);
        plugin = std::make_unique<LoadedPlugin>(TEST_PLUGIN_DLL, host.services(), window->hwnd());
        ASSERT_TRUE(plugin->ok()) << plugin->error();
    }
    void TearDown() override
    {
        plugin.reset();
        window.reset();
    }

    AudioFilePlugin &P() { return plugin->plugin(); }

    MemoryHost host;
    std::unique_ptr<HostWindow> window;
    std::unique_ptr<LoadedPlugin> plugin;
};

/* n bytes of a recognisable, odd-length-friendly pattern. */
inline std::vector<uint8_t> Pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + (i >> 8) + 3);
    return v;
}

/* Little-endian 16-bit samples out of a byte buffer. */
inline std::vector<int16_t> Samples(const std::vector<uint8_t> &bytes)
{
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return s;
}

#endif
