/* What the tasbrin tests share: a host with the plug-in wired to it, and
 * deterministic sample data. */
#ifndef TESTS_NATIVE_BLB_BLB_TEST_SUPPORT_H
#define TESTS_NATIVE_BLB_BLB_TEST_SUPPORT_H

#include "blb/blb_entry.h"
#include "common/native/win32_standin.h"
#include "common/plugin_module.h"
#include "support/memory_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class BlbTest : public ::testing::Test {
protected:
    BlbTest()
    {
        standin::FailAllocationAfter(0);
        g_plugin.hostServices = host.services();
        baselineBlocks = standin::LiveBlocks();
    }
    ~BlbTest() override
    {
        for (StreamHandle *h : open_)
            host.CloseStream(h);
        standin::FailAllocationAfter(0);
        g_plugin.hostServices = nullptr;
    }

    /* A stream on a new item, as the host hands it to Open. */
    StreamHandle *Stream(const std::vector<uint8_t> &data, const std::string &dataString,
                         const std::string &container = "BLB")
    {
        StreamHandle *h = host.OpenStream(host.AddItem(data, dataString, container));
        open_.push_back(h);
        return h;
    }

    /* An opened stream; the test fails if Open refuses. */
    StreamHandle *Opened(const std::vector<uint8_t> &data, const std::string &dataString)
    {
        StreamHandle *h = Stream(data, dataString);
        uint32_t rate = 0;
        uint16_t channels = 0, bits = 0;
        EXPECT_TRUE(Open(h, &rate, &channels, &bits));
        return h;
    }

    void Finish(StreamHandle *h)
    {
        EXPECT_TRUE(Close(h));
        Dispose(h);
    }

    /* Closes a stream from Stream() the way the host does. */
    void Dispose(StreamHandle *h)
    {
        open_.erase(std::find(open_.begin(), open_.end(), h));
        host.CloseStream(h);
    }

    MemoryHost host;
    long baselineBlocks = 0;

private:
    std::vector<StreamHandle *> open_;
};

/* Bytes that exercise every delta value in no simple order. */
inline std::vector<uint8_t> Noise(size_t n, uint32_t seed = 12345)
{
    std::vector<uint8_t> v(n);
    for (auto &b : v) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return v;
}

inline int16_t SampleAt(const std::vector<uint8_t> &pcm, size_t k)
{
    return static_cast<int16_t>(pcm[2 * k] | (pcm[2 * k + 1] << 8));
}

#endif
