#include "blb/blb_adpcm.h"
#include "blb/blb_stream.h"

#include "blb_test_support.h"

#include <algorithm>

namespace {

using Bytes = std::vector<uint8_t>;

/* Reads the whole stream in requests of the given sizes, cycling. */
Bytes ReadAll(StreamHandle *h, const std::vector<uint32_t> &sizes)
{
    Bytes all;
    Bytes buffer;
    for (size_t i = 0;; ++i) {
        const uint32_t want = sizes[i % sizes.size()];
        buffer.assign(want + 4, 0xEE);
        int32_t marker = 0;
        const uint32_t got = Read(h, buffer.data(), want, &marker);
        if (got == 0 && want >= 2) /* a request below one frame yields nothing */
            break;
        EXPECT_LE(got, want);
        if (got)
            EXPECT_EQ(marker, -1);
        EXPECT_EQ(buffer[want], 0xEE);
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
    return all;
}

Bytes Decoded(const Bytes &deltas, uint32_t shift)
{
    Bytes out(2 * deltas.size());
    int16_t acc = 0;
    DecodeDwAdpcm(deltas.data(), static_cast<uint32_t>(deltas.size()), &acc, shift, out.data());
    return out;
}

using BlbOpen = BlbTest;

TEST_F(BlbOpen, ReportsTheFixedFormatAndStartsAtTheBeginning)
{
    StreamHandle *h = Stream({1, 2, 3, 4}, "music-4.08");
    host.services()->Seek(h, 3, HOST_SEEK_SET);
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    ASSERT_TRUE(Open(h, &rate, &channels, &bits));
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(channels, 1u);
    EXPECT_EQ(bits, 16u);
    const auto *s = static_cast<const BlbSoundState *>(h->decoderState);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->shift, 4);
    EXPECT_EQ(s->accumulator, 0);
    EXPECT_EQ(s->blockAlign, 2);
    EXPECT_EQ(s->sampleRate, 22050u);
    EXPECT_NE(s->buffer, nullptr);
    uint8_t out[8];
    int32_t marker = 0;
    ASSERT_EQ(Read(h, out, 8, &marker), 8u);
    EXPECT_EQ(SampleAt(Bytes(out, out + 8), 0), 1 << 4);
    Finish(h);
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks);
}

TEST_F(BlbOpen, RawSoundHasNoScratchBlock)
{
    StreamHandle *h = Opened({1, 2}, "sfx.07");
    const auto *s = static_cast<const BlbSoundState *>(h->decoderState);
    EXPECT_EQ(s->shift, 0xFF);
    EXPECT_EQ(s->buffer, nullptr);
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks + 1);
    Finish(h);
}

TEST_F(BlbOpen, RefusalsSetTheirCodesAndLeaveNothingBehind)
{
    uint32_t rate = 7;
    uint16_t channels = 7, bits = 7;

    SetLastError(0x1234);
    EXPECT_FALSE(Open(nullptr, &rate, &channels, &bits));
    StreamHandle noItem{};
    EXPECT_FALSE(Open(&noItem, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), 0x1234u);

    StreamHandle *wrong = Stream({1, 2}, "music.09");
    EXPECT_FALSE(Open(wrong, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);
    EXPECT_EQ(rate, 7u);
    EXPECT_EQ(channels, 7u);
    EXPECT_EQ(bits, 7u);
    EXPECT_EQ(wrong->decoderState, nullptr);
    StreamHandle *otherContainer = Stream({1, 2}, "music.08", "XYZ");
    EXPECT_FALSE(Open(otherContainer, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_FORMAT);

    StreamHandle *h = Stream({1, 2}, "music-2.08");
    standin::FailAllocationAfter(1);
    EXPECT_FALSE(Open(h, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_STATE_ALLOC);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(channels, 1u);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(h->decoderState, nullptr);

    rate = channels = bits = 7;
    standin::FailAllocationAfter(2);
    EXPECT_FALSE(Open(h, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), PLUGIN_ERR_BUFFER_ALLOC);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(h->decoderState, nullptr);
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks);

    /* A raw sound needs one block only, so the second failing does not matter. */
    StreamHandle *raw = Stream({1, 2}, "music.08");
    standin::FailAllocationAfter(2);
    EXPECT_TRUE(Open(raw, &rate, &channels, &bits));
    Finish(raw);
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks);
}

TEST_F(BlbOpen, CloseFreesEverythingAndToleratesNothingToClose)
{
    EXPECT_TRUE(Close(nullptr));
    StreamHandle *plain = Stream({1, 2}, "music-3.08");
    EXPECT_TRUE(Close(plain));
    StreamHandle *h = Opened(Noise(10), "music-3.08");
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks + 2);
    EXPECT_TRUE(Close(h));
    EXPECT_EQ(h->decoderState, nullptr);
    EXPECT_TRUE(Close(h));
    EXPECT_EQ(standin::LiveBlocks(), baselineBlocks);
    Dispose(h);
}

using BlbRead = BlbTest;

TEST_F(BlbRead, DwAdpcmDecodesTheWholeResource)
{
    const Bytes deltas = Noise(5000);
    for (uint32_t shift : {0u, 3u, 0x10u, 0x20u}) {
        char ds[32];
        std::snprintf(ds, sizeof ds, "music-%X.08", shift);
        StreamHandle *h = Opened(deltas, ds);
        EXPECT_EQ(ReadAll(h, {100000}), Decoded(deltas, shift)) << ds;
        Finish(h);
    }
}

TEST_F(BlbRead, RawPassesTheBytesThrough)
{
    const Bytes data = Noise(4001); /* odd: the final byte still comes */
    StreamHandle *h = Opened(data, "sfx.07");
    EXPECT_EQ(ReadAll(h, {100000}), data);
    Finish(h);
}

TEST_F(BlbRead, SplitReadsEqualOneBigRead)
{
    const Bytes deltas = Noise(9000, 777);
    const std::vector<std::vector<uint32_t>> patterns = {
        {1, 2, 3}, {7}, {2}, {4096}, {4097, 13, 2}, {129999}, {3, 1000, 1, 64}};
    for (const char *ds : {"m-5.08", "m.08"}) {
        StreamHandle *whole = Opened(deltas, ds);
        const Bytes expected = ReadAll(whole, {1u << 20});
        Finish(whole);
        for (const auto &sizes : patterns) {
            StreamHandle *h = Opened(deltas, ds);
            EXPECT_EQ(ReadAll(h, sizes), expected) << ds << " first size " << sizes[0];
            Finish(h);
        }
    }
}

TEST_F(BlbRead, TinyAndOddRequests)
{
    for (const char *ds : {"m-1.08", "m.08"}) {
        StreamHandle *h = Opened(Noise(10), ds);
        uint8_t out[8];
        std::fill(out, out + 8, 0xEE);
        int32_t marker = 0;
        const unsigned long readsBefore = host.counters.reads;
        const unsigned long long bytesBefore = host.counters.bytesRead;
        EXPECT_EQ(Read(h, out, 1, &marker), 0u) << ds;
        EXPECT_EQ(marker, -1);
        EXPECT_EQ(out[0], 0xEE);
        EXPECT_EQ(host.counters.bytesRead, bytesBefore);
        /* Raw asks the host for the request rounded to a frame; DW ADPCM
         * has no delta to ask for. */
        EXPECT_EQ(host.counters.reads - readsBefore, std::string(ds) == "m.08" ? 1u : 0u);

        std::fill(out, out + 8, 0xEE);
        EXPECT_EQ(Read(h, out, 7, &marker), 6u) << ds;
        EXPECT_EQ(out[6], 0xEE);
        EXPECT_EQ(out[7], 0xEE);
        Finish(h);
    }
}

TEST_F(BlbRead, BatchesAreCappedAtSixtyFourThousandDeltas)
{
    StreamHandle *h = Opened(Noise(250000), "m-0.08");
    Bytes out(300000);
    int32_t marker = 0;
    EXPECT_EQ(Read(h, out.data(), 300000, &marker), 300000u);
    EXPECT_EQ(host.counters.reads, 3u);          /* 64000 + 64000 + 22000 */
    EXPECT_EQ(host.counters.bytesRead, 150000u);
    EXPECT_EQ(Read(h, out.data(), 128001, &marker), 128000u);
    EXPECT_EQ(host.counters.reads, 4u);
    /* 36000 deltas are left: one full-size request, a short answer, the end. */
    EXPECT_EQ(Read(h, out.data(), 300000, &marker), 72000u);
    EXPECT_EQ(host.counters.bytesRead, 250000u);
    EXPECT_EQ(host.counters.reads, 5u);
    marker = 5;
    EXPECT_EQ(Read(h, out.data(), 300000, &marker), 0u);
    EXPECT_EQ(marker, 5) << "the marker is left alone at the end";
    Finish(h);
}

TEST_F(BlbRead, ShortHostReadsStillFillTheRequest)
{
    host.maxReadChunk = 1;
    const Bytes deltas = Noise(300);
    StreamHandle *h = Opened(deltas, "m-2.08");
    Bytes out(400);
    int32_t marker = 0;
    EXPECT_EQ(Read(h, out.data(), 400, &marker), 400u);
    const Bytes expected = Decoded(deltas, 2);
    EXPECT_EQ(out, Bytes(expected.begin(), expected.begin() + 400));
    EXPECT_EQ(host.counters.reads, 200u);
    Finish(h);

    /* Raw returns what the host gave; the stream still adds up. */
    host.maxReadChunk = 3;
    StreamHandle *raw = Opened(deltas, "s.07");
    EXPECT_EQ(ReadAll(raw, {64}), deltas);
    Finish(raw);
}

TEST_F(BlbRead, HostReadFailureEndsTheRequestWithWhatWasMade)
{
    host.failReadsAfterBytes = 10;
    StreamHandle *h = Opened(Noise(100), "m-1.08");
    Bytes out(100);
    int32_t marker = 0;
    EXPECT_EQ(Read(h, out.data(), 100, &marker), 20u);
    EXPECT_EQ(marker, -1);
    EXPECT_EQ(Read(h, out.data(), 100, &marker), 0u);
    Finish(h);
}

/* A host that claims more than it delivered must not push output past the
 * request. */
HostReadFn g_realRead = nullptr;
void PLUGIN_CALL OverReportingRead(StreamHandle *h, void *buffer, uint32_t count, uint32_t *got)
{
    g_realRead(h, buffer, count, got);
    *got += 1000;
}

TEST_F(BlbRead, HostOverReportingIsClamped)
{
    HostFileServices lying = *host.services();
    g_realRead = lying.Read;
    lying.Read = OverReportingRead;
    for (const char *ds : {"m-1.08", "m.08"}) {
        g_plugin.hostServices = host.services();
        StreamHandle *h = Opened(Noise(50), ds);
        g_plugin.hostServices = &lying;
        Bytes out(40 + 16, 0xEE);
        int32_t marker = 0;
        EXPECT_EQ(Read(h, out.data(), 40, &marker), 40u) << ds;
        EXPECT_EQ(out[40], 0xEE) << ds;
        g_plugin.hostServices = host.services();
        Finish(h);
    }
}

TEST_F(BlbRead, NothingHappensWithoutAStream)
{
    uint8_t out[4] = {};
    int32_t marker = 9;
    EXPECT_EQ(Read(nullptr, out, 4, &marker), 0u);
    StreamHandle *notOpened = Stream({1, 2, 3, 4}, "m.08");
    EXPECT_EQ(Read(notOpened, out, 4, &marker), 0u);
    EXPECT_EQ(marker, 9);
    EXPECT_EQ(host.counters.reads, 0u);
    StreamHandle *empty = Opened({}, "m.08");
    EXPECT_EQ(Read(empty, out, 4, &marker), 0u);
    EXPECT_EQ(marker, 9);
    Finish(empty);
}

} // namespace
