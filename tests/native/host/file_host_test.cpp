#include "host/services/file_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class FileHostTest : public testing::Test {
protected:
    void SetUp() override
    {
        /* ctest runs each test as its own process, several at once: every
         * test needs a file of its own. */
        path_ = testing::TempDir() + "plughost_file_host_" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
        std::FILE *f = std::fopen(path_.c_str(), "wb");
        ASSERT_TRUE(f);
        for (int i = 0; i < 100; ++i)
            std::fputc(i, f);
        std::fclose(f);
    }
    void TearDown() override { std::remove(path_.c_str()); }

    ResourceItem *Item(FileHost &host, uint64_t base = 0, uint32_t size = UINT32_MAX)
    {
        std::string error;
        ResourceItem *item = host.AddItem(path_, base, size, "BLB", "name", "data-4.08", -1, error);
        EXPECT_TRUE(item) << error;
        return item;
    }

    std::string path_;
};

TEST_F(FileHostTest, ItemRecordsAndHandlesSitWhereThePlugInLooks)
{
    FileHost host({});
    ResourceItem *item = Item(host);
    EXPECT_EQ(item->cachedLength, -1);
    EXPECT_STREQ(item->name, "name");
    EXPECT_STREQ(item->dataString, "data-4.08");

    const HostFileServices &s = *host.services();
    StreamHandle *h = s.Open(item);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->item, item);
    EXPECT_EQ(h->decoderState, nullptr);
    ASSERT_TRUE(h->container && h->container->plugin);
    EXPECT_STREQ(h->container->plugin->shortName, "BLB");
    EXPECT_EQ(host.openStreams(), 1u);
    s.Close(h);
    EXPECT_EQ(host.openStreams(), 0u);
    EXPECT_TRUE(host.faults().empty());
}

TEST_F(FileHostTest, AnItemIsAnExtentOfItsFile)
{
    FileHost host({});
    const HostFileServices &s = *host.services();
    StreamHandle *h = s.Open(Item(host, 40, 10));
    ASSERT_TRUE(h);
    EXPECT_EQ(s.GetSize(h), 10u);
    uint8_t buffer[32];
    uint32_t got = 99;
    s.Read(h, buffer, 4, &got);
    ASSERT_EQ(got, 4u);
    EXPECT_EQ(buffer[0], 40);
    EXPECT_EQ(buffer[3], 43);
    s.Seek(h, 3, HOST_SEEK_CUR);
    EXPECT_EQ(s.Tell(h), 7u);
    s.Read(h, buffer, 32, &got); /* the extent ends before the file does */
    ASSERT_EQ(got, 3u);
    EXPECT_EQ(buffer[2], 49);
    EXPECT_NE(s.IsEof(h), 0u);
    s.Read(h, buffer, 32, &got);
    EXPECT_EQ(got, 0u);
    s.Close(h);

    /* An extent reaching past the file is cut to it. */
    StreamHandle *tail = s.Open(Item(host, 90, 50));
    EXPECT_EQ(s.GetSize(tail), 10u);
    s.Close(tail);
    StreamHandle *past = s.Open(Item(host, 500, 50));
    EXPECT_EQ(s.GetSize(past), 0u);
    EXPECT_NE(s.IsEof(past), 0u);
    s.Close(past);
}

TEST_F(FileHostTest, SeeksClampAtTheStartAndMayPassTheEnd)
{
    FileHost host({});
    const HostFileServices &s = *host.services();
    StreamHandle *h = s.Open(Item(host));
    s.Seek(h, 10, HOST_SEEK_SET);
    s.Seek(h, -30, HOST_SEEK_CUR);
    EXPECT_EQ(s.Tell(h), 0u);
    EXPECT_EQ(s.IsEof(h), 0u);
    s.Seek(h, 150, HOST_SEEK_SET);
    EXPECT_EQ(s.Tell(h), 150u);
    EXPECT_NE(s.IsEof(h), 0u);
    uint32_t got = 7;
    uint8_t b[4];
    s.Read(h, b, 4, &got);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(host.faults().empty());
    s.Seek(h, 0, 2); /* origin 2 is not part of the interface */
    EXPECT_EQ(s.Tell(h), 150u);
    EXPECT_EQ(host.faults().size(), 1u);
    s.Close(h);
}

TEST_F(FileHostTest, ReadChunkLimitsEveryRead)
{
    FileHost host({3, false});
    const HostFileServices &s = *host.services();
    ResourceItem *item = Item(host);
    StreamHandle *h = s.Open(item);
    uint8_t b[10];
    uint32_t got = 0;
    s.Read(h, b, 10, &got);
    EXPECT_EQ(got, 3u);

    ContainerFile *cf = h->container; /* the item's container reader */
    cf->plugin->Seek(cf, 98, HOST_SEEK_SET);
    cf->plugin->Read(cf, b, 10, &got);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(b[1], 99);
    EXPECT_NE(cf->plugin->IsEof(cf), 0u);
    EXPECT_EQ(cf->plugin->Tell(cf), 100u);
    s.Close(h);
}

TEST_F(FileHostTest, ARawContainerServesTheWholeFile)
{
    FileHost host({});
    std::string error;
    ContainerFile *cf = host.OpenContainer(path_, "RAW", error);
    ASSERT_TRUE(cf) << error;
    const ContainerPlugin &p = *cf->plugin;
    EXPECT_STREQ(p.shortName, "RAW");
    p.Seek(cf, 50, HOST_SEEK_SET);
    p.Seek(cf, 5, HOST_SEEK_CUR);
    uint8_t b[4];
    uint32_t got = 0;
    p.Read(cf, b, 4, &got);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(b[0], 55);
    EXPECT_EQ(p.Tell(cf), 59u);
    EXPECT_EQ(p.IsEof(cf), 0u);

    EXPECT_FALSE(host.OpenContainer(path_ + ".missing", "RAW", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(host.AddItem(path_ + ".missing", 0, 1, "BLB", "n", "d", -1, error));
}

TEST_F(FileHostTest, BreachesByThePlugInAreCollected)
{
    FileHost host({});
    const HostFileServices &s = *host.services();
    StreamHandle *h = s.Open(Item(host));
    StreamHandle stranger{};
    uint32_t got = 5;
    uint8_t b[4];
    s.Read(&stranger, b, 4, &got);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(s.GetSize(&stranger), 0u);
    EXPECT_NE(s.IsEof(&stranger), 0u);
    ResourceItem notAnItem{};
    EXPECT_EQ(s.Open(&notAnItem), nullptr);
    s.Read(h, nullptr, 4, &got);
    s.Read(h, b, 4, nullptr);
    h->hostReserved[0] = 1; /* only the decoder-state slot is the plug-in's */
    h->decoderState = b;
    s.Close(h);
    s.Close(h); /* twice */
    EXPECT_EQ(host.faults().size(), 8u);
    EXPECT_EQ(host.openStreams(), 0u);
}

/* Reads are served from a read-ahead window: whatever mix of small and
 * large reads, forward and backward seeks and window edges, two streams at
 * once on an item that starts inside its file, every byte is the file's. */
TEST(FileHostReadAhead, EveryReadDeliversTheFilesBytes)
{
    const std::string path = testing::TempDir() + "plughost_read_ahead_test.bin";
    std::vector<uint8_t> file(700 * 1024 + 13);
    uint32_t x = 1;
    for (uint8_t &b : file)
        b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    ASSERT_EQ(std::fwrite(file.data(), 1, file.size(), f), file.size());
    std::fclose(f);

    const uint32_t base = 1000;
    FileHost host({});
    const HostFileServices &s = *host.services();
    std::string error;
    ResourceItem *item = host.AddItem(path, base, UINT32_MAX, "BLB", "n", "d", -1, error);
    ASSERT_TRUE(item) << error;
    StreamHandle *a = s.Open(item);
    StreamHandle *b = s.Open(item);
    ASSERT_TRUE(a && b);
    const uint32_t size = static_cast<uint32_t>(file.size()) - base;
    ASSERT_EQ(s.GetSize(a), size);

    std::vector<uint8_t> buffer(300 * 1024);
    uint32_t r = 7;
    for (int i = 0; i < 2000; ++i) {
        StreamHandle *h = (i & 1) ? a : b;
        r = r * 1664525u + 1013904223u;
        /* Mostly small reads, some of window size and more, some seeks. */
        const uint32_t kind = r >> 28;
        const uint32_t count = kind < 10 ? (r >> 8) % 5000 : kind < 14 ? (r >> 8) % (300 * 1024) : 4;
        if (kind == 15)
            s.Seek(h, static_cast<int32_t>((r >> 4) % (size + 100)), HOST_SEEK_SET);
        else if (kind == 14)
            s.Seek(h, -static_cast<int32_t>((r >> 8) % 70000), HOST_SEEK_CUR);
        const uint32_t at = s.Tell(h);
        uint32_t got = 0;
        s.Read(h, buffer.data(), count, &got);
        const uint32_t expected = at < size ? std::min(count, size - at) : 0;
        ASSERT_EQ(got, expected) << "read " << i << " of " << count << " at " << at;
        ASSERT_EQ(std::memcmp(buffer.data(), file.data() + base + at, got), 0) << "read " << i << " at " << at;
        ASSERT_EQ(s.Tell(h), at + got);
    }
    s.Close(a);
    s.Close(b);
    EXPECT_TRUE(host.faults().empty());
    std::remove(path.c_str());
}

} // namespace
