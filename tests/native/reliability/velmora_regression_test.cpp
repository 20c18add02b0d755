/* Faults the fuzzers and the hostile-host runs found in velmora, each kept
 * as the smallest case that shows it. */
#include "common/native/win32_standin.h"
#include "common/plugin_module.h"
#include "mve_writer.h"
#include "support/memory_host.h"

#include <gtest/gtest.h>

namespace {

using mvemaker::Bytes;

class VelmoraRegression : public ::testing::Test {
protected:
    void SetUp() override { g_plugin.hostServices = host.services(); }
    void TearDown() override { g_plugin.hostServices = nullptr; }

    Bytes SmallMovie()
    {
        Bytes file = mvemaker::FileHeader();
        mvemaker::AppendChunk(file, mvemaker::kChunkVideo, Bytes(8, 0));
        mvemaker::AppendChunk(file, mvemaker::kChunkEnd, {});
        return file;
    }

    MemoryHost host;
};

/* The container's seek takes a signed offset: a start offset of 2 GiB or
 * more passed as it stands became a seek before the start of the file, which
 * the host pins to 0, and the movie at 0 was reported as lying at the start
 * offset. */
TEST_F(VelmoraRegression, ScanFileLooksAtLargeStartOffsetsWhereTheyAre)
{
    ContainerFile *cf = host.ContainerOf(host.AddItem(SmallMovie(), "raw", "RAW"));
    for (uint32_t start : {0x80000000u, 0x93939393u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        uint32_t end = 7;
        EXPECT_EQ(g_plugin.ScanFile(nullptr, cf, 0, start, &end), nullptr) << std::hex << start;
        EXPECT_EQ(end, 7u);
    }
    /* Below 2 GiB nothing changes. */
    uint32_t end = 0;
    ResourceInfo *info = g_plugin.ScanFile(nullptr, cf, 0, 0, &end);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(end, SmallMovie().size());
    GlobalFree(info);
}

} // namespace
