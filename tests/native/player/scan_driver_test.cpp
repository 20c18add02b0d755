/* The player's scan over a file larger than 4 GiB: every match is found at
 * its 64-bit offset, the plug-in always sees a window from the match on,
 * and a movie that runs past its window is told apart. */
#include "player/scan_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const char kSig[] = "MOVIE!";
const uint64_t kFileSize = 5ull << 30;
const uint64_t kNear = 100, kFar = (9ull << 30) / 2; /* 4.5 GiB */

uint64_t g_windowBase = 0;
std::vector<uint64_t> g_calls;

/* A movie of 1000 bytes, except the one near the start, which claims to
 * run to the end of its window. */
ResourceInfo *PLUGIN_CALL FakeScanFile(HWND, ContainerFile *, uint32_t, uint32_t start, uint32_t *end)
{
    g_calls.push_back(g_windowBase + start);
    auto *info = new ResourceInfo();
    info->startOffset = start;
    info->size = g_windowBase == kNear ? 0xFFFFFFFFu : 1000u;
    *end = start + info->size;
    return info;
}

TEST(ScanDriver, FindsMoviesPast4GiBThroughWindowsFromEachMatch)
{
    FileSignature sig{6, reinterpret_cast<const uint8_t *>(kSig)};
    AudioFilePlugin d{};
    d.signatureCount = 1;
    d.signatures = &sig;
    d.ScanFile = FakeScanFile;
    ScanSetup setup;
    setup.fileSize = kFileSize;
    setup.readAt = [](uint64_t offset, uint8_t *buffer, size_t n) -> size_t {
        if (offset >= kFileSize)
            return 0;
        n = static_cast<size_t>(std::min<uint64_t>(n, kFileSize - offset));
        std::memset(buffer, 0, n);
        for (uint64_t at : {kNear, kFar})
            for (uint64_t i = 0; i < 6; ++i)
                if (at + i >= offset && at + i < offset + n)
                    buffer[at + i - offset] = static_cast<uint8_t>(kSig[i]);
        return n;
    };
    std::vector<uint32_t> windows;
    setup.setWindow = [&](uint64_t base, uint32_t size) {
        g_windowBase = base;
        windows.push_back(size);
    };
    std::vector<ScanMatch> found;
    ScanImage(d, setup, [&](const ScanMatch &m) {
        found.push_back(m);
        delete m.info;
        return true;
    });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].base, kNear);
    EXPECT_EQ(found[0].window, 0xFFFFFFFFu);
    EXPECT_TRUE(found[0].tooLarge);
    EXPECT_EQ(found[1].base, kFar);
    EXPECT_EQ(found[1].window, kFileSize - kFar);
    EXPECT_FALSE(found[1].tooLarge);
    EXPECT_EQ(g_calls, (std::vector<uint64_t>{kNear, kFar}));
}

} // namespace
