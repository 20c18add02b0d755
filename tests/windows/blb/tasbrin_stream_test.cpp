/* tasbrin's stream, length and identification entry points through the
 * real DLL, fed by the in-memory host. */
#include "tasbrin_fixture.h"

#include <cstring>

namespace {

const uint8_t kUntouched = 0xA5;

class TasbrinStream : public Tasbrin {
protected:
    /* Opens item through the host and the plug-in; NULL if Open refused. */
    StreamHandle *Open(ResourceItem *item)
    {
        StreamHandle *h = host.OpenStream(item);
        uint32_t rate = 0;
        uint16_t channels = 0, bits = 0;
        if (!P().Open(h, &rate, &channels, &bits)) {
            host.CloseStream(h);
            return nullptr;
        }
        EXPECT_EQ(rate, 22050u);
        EXPECT_EQ(channels, 1u);
        EXPECT_EQ(bits, 16u);
        EXPECT_NE(h->decoderState, nullptr);
        return h;
    }
    void Close(StreamHandle *h)
    {
        EXPECT_TRUE(P().Close(h));
        host.CloseStream(h);
    }
    /* Everything the stream delivers, asked for chunk bytes at a time. */
    std::vector<uint8_t> ReadAll(StreamHandle *h, uint32_t chunk)
    {
        std::vector<uint8_t> all, buffer(chunk);
        for (int guard = 0; guard < 1000000; ++guard) {
            int32_t marker = 0;
            const uint32_t n = P().Read(h, buffer.data(), chunk, &marker);
            if (!n)
                break;
            EXPECT_LE(n, chunk);
            EXPECT_EQ(marker, -1);
            all.insert(all.end(), buffer.begin(), buffer.begin() + n);
        }
        return all;
    }
    /* The samples a whole resource decodes to. */
    std::vector<int16_t> Decode(const std::vector<uint8_t> &data, const char *dataString,
                                uint32_t chunk = 4096)
    {
        StreamHandle *h = Open(host.AddItem(data, dataString));
        if (!h)
            return {};
        std::vector<int16_t> s = Samples(ReadAll(h, chunk));
        Close(h);
        return s;
    }
};

TEST_F(TasbrinStream, RawPcmIsPassedThroughWholeRequestsRoundedToSamples)
{
    const std::vector<uint8_t> data = Pattern(1001); /* odd: the last byte still comes through */
    StreamHandle *h = Open(host.AddItem(data, "music.08"));
    ASSERT_NE(h, nullptr);

    std::vector<uint8_t> out(2000, kUntouched);
    int32_t marker = 0;
    EXPECT_EQ(P().Read(h, out.data(), 101, &marker), 100u) << "101 bytes asked: 100 delivered";
    EXPECT_EQ(marker, -1);
    EXPECT_EQ(out[100], kUntouched);
    EXPECT_EQ(std::memcmp(out.data(), data.data(), 100), 0);

    marker = 0;
    EXPECT_EQ(P().Read(h, out.data() + 100, 1900, &marker), 901u);
    EXPECT_EQ(marker, -1);
    EXPECT_EQ(std::memcmp(out.data(), data.data(), 1001), 0);
    EXPECT_EQ(out[1001], kUntouched);

    marker = 7;
    EXPECT_EQ(P().Read(h, out.data(), 1900, &marker), 0u);
    EXPECT_EQ(marker, 7) << "a Read at the end leaves the marker alone";
    Close(h);
    EXPECT_EQ(host.openStreams(), 0u);
}

TEST_F(TasbrinStream, DwAdpcmDecodesHandComputedValues)
{
    EXPECT_EQ(Decode({0x7F, 0x7F, 0x7F}, "sfx-0.07"), (std::vector<int16_t>{127, 254, 381}));
    EXPECT_EQ(Decode({0x7F, 0x7F, 0x7F}, "sfx-4.07"), (std::vector<int16_t>{2032, 4064, 6096}));
    EXPECT_EQ(Decode({0xFF, 0xFF}, "sfx-0.08"), (std::vector<int16_t>{-1, -2}));
    EXPECT_EQ(Decode({0xFF, 0x80, 0x01}, "sfx-4.08"), (std::vector<int16_t>{-16, -2064, -2048}));
    /* The shift comes from the first '-', the type from the last '.'. */
    EXPECT_EQ(Decode({0x01, 0x01}, "a-2.b-5.07"), (std::vector<int16_t>{4, 8}));
    /* Only the low 8 bits of the type count: ".107" is type 7. */
    EXPECT_EQ(Decode({0x03}, "x-1.107"), (std::vector<int16_t>{6}));
}

TEST_F(TasbrinStream, DwAdpcmWrapsWithoutClamping)
{
    const std::vector<int16_t> s = Decode(std::vector<uint8_t>(300, 0x7F), "long-0.07");
    ASSERT_EQ(s.size(), 300u);
    EXPECT_EQ(s[0], 127);
    EXPECT_EQ(s[257], 32766) << "the 258th sample";
    EXPECT_EQ(s[258], -32643) << "the 259th sample wraps";
}

TEST_F(TasbrinStream, ShiftCountsBeyondFifteen)
{
    const std::vector<uint8_t> deltas = {0x05, 0x10, 0xF0};
    EXPECT_EQ(Decode(deltas, "a-10.07"), (std::vector<int16_t>{0, 0, 0})) << "16 shifts everything out";
    EXPECT_EQ(Decode(deltas, "a-1F.07"), (std::vector<int16_t>{0, 0, 0}));
    EXPECT_EQ(Decode(deltas, "a-20.07"), Decode(deltas, "a-0.07")) << "32 behaves as 0";
    EXPECT_EQ(Decode(deltas, "a-100.07"), (std::vector<int16_t>{5, 21, 5})) << "shift 0x100 is 0";
    /* '-1FF', '-FF' and a '-' without digits mean raw PCM: bytes pass through. */
    const std::vector<uint8_t> raw = {0x34, 0x12, 0xCD, 0xAB};
    for (const char *name : {"a-1FF.07", "a-FF.07", "a-.07", "a-x.08"})
        EXPECT_EQ(Decode(raw, name), (std::vector<int16_t>{0x1234, static_cast<int16_t>(0xABCD)})) << name;
}

TEST_F(TasbrinStream, AccumulatorCarriesAcrossReads)
{
    const std::vector<uint8_t> deltas = {0x10, 0xF8, 0x7F, 0x81, 0x22, 0x33, 0x90, 0x01};
    const std::vector<int16_t> whole = Decode(deltas, "s-3.07");
    ASSERT_EQ(whole.size(), 8u);

    StreamHandle *h = Open(host.AddItem(deltas, "s-3.07"));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Samples(ReadAll(h, 4)), whole) << "4-byte Reads give what one long Read gives";
    Close(h);
}

TEST_F(TasbrinStream, TwoOpenStreamsKeepTheirOwnState)
{
    const std::vector<uint8_t> deltas = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    const std::vector<int16_t> a = Decode(deltas, "a-1.07");
    const std::vector<int16_t> b = Decode(deltas, "b-5.08");
    StreamHandle *ha = Open(host.AddItem(deltas, "a-1.07"));
    StreamHandle *hb = Open(host.AddItem(deltas, "b-5.08"));
    ASSERT_TRUE(ha && hb);
    EXPECT_NE(ha->decoderState, hb->decoderState);
    std::vector<uint8_t> outA, outB;
    uint8_t buffer[4];
    int32_t marker;
    for (int i = 0; i < 3; ++i) { /* interleaved */
        uint32_t n = P().Read(ha, buffer, sizeof buffer, &marker);
        outA.insert(outA.end(), buffer, buffer + n);
        n = P().Read(hb, buffer, sizeof buffer, &marker);
        outB.insert(outB.end(), buffer, buffer + n);
    }
    EXPECT_EQ(Samples(outA), a);
    EXPECT_EQ(Samples(outB), b);
    Close(ha);
    Close(hb);
}

TEST_F(TasbrinStream, AHostThatStopsDeliveringEndsTheStream)
{
    for (const char *name : {"cut.07", "cut-2.07"}) {
        SCOPED_TRACE(name);
        host.counters.bytesRead = 0;
        host.failReadsAfterBytes = 100;
        StreamHandle *h = Open(host.AddItem(Pattern(1000), name));
        ASSERT_NE(h, nullptr);
        const std::vector<uint8_t> got = ReadAll(h, 512);
        EXPECT_EQ(got.size(), std::string(name) == "cut.07" ? 100u : 200u) << "what arrived, nothing more";
        Close(h);
        host.failReadsAfterBytes = UINT64_MAX;
    }
}

TEST_F(TasbrinStream, OneByteHostReadsGiveIdenticalOutput)
{
    const std::vector<uint8_t> data = Pattern(70001);
    for (const char *name : {"big.08", "big-3.08"}) {
        SCOPED_TRACE(name);
        const std::vector<int16_t> normal = Decode(data, name);
        /* Requests of 200000 bytes span more than one 64000-byte batch. */
        EXPECT_TRUE(Decode(data, name, 200000) == normal);
        host.maxReadChunk = 1;
        const std::vector<int16_t> hostile = Decode(data, name, 200000);
        host.maxReadChunk = 0;
        EXPECT_FALSE(normal.empty());
        EXPECT_TRUE(hostile == normal);
    }
    /* DW ADPCM: one sample per stored byte. */
    EXPECT_EQ(Decode(data, "big-3.08").size(), data.size());
}

TEST_F(TasbrinStream, TinyAndOddRequests)
{
    for (const char *name : {"t.07", "t-2.07"}) {
        SCOPED_TRACE(name);
        StreamHandle *h = Open(host.AddItem(Pattern(64), name));
        ASSERT_NE(h, nullptr);
        std::vector<uint8_t> out(16, kUntouched);
        int32_t marker = 0;
        EXPECT_EQ(P().Read(h, out.data(), 1, &marker), 0u);
        EXPECT_EQ(marker, -1) << "a Read past its entry tests marks even when it delivers nothing";
        EXPECT_EQ(out[0], kUntouched);

        EXPECT_EQ(P().Read(h, out.data(), 7, &marker), 6u);
        EXPECT_EQ(out[6], kUntouched) << "the last byte of an odd request stays untouched";
        Close(h);
    }
}

TEST_F(TasbrinStream, OpenRefusesWhatIsNotABlbSound)
{
    struct Case {
        const char *dataString;
        const char *container;
    };
    const Case refused[] = {{"music.08", "blb"}, {"music.08", "MVE"}, {"music", "BLB"},   {"m.09", "BLB"},
                            {"m.7A", "BLB"},     {"m.", "BLB"},       {"m.07.x", "BLB"}, {"m-4.FF", "BLB"}};
    for (const Case &c : refused) {
        SCOPED_TRACE(std::string(c.dataString) + " in " + c.container);
        StreamHandle *h = host.OpenStream(host.AddItem(Pattern(10), c.dataString, c.container));
        uint32_t rate = 1;
        uint16_t channels = 2, bits = 3;
        SetLastError(0);
        const BOOL opened = P().Open(h, &rate, &channels, &bits);
        const DWORD error = GetLastError();
        EXPECT_FALSE(opened);
        EXPECT_EQ(error, 0x20000001u);
        EXPECT_EQ(rate, 1u);
        EXPECT_EQ(channels, 2u);
        EXPECT_EQ(bits, 3u);
        EXPECT_EQ(h->decoderState, nullptr);
        host.CloseStream(h);
    }
    for (const char *accepted : {"m.7", "m.07", "m.8", "M.08", "a.b.c-1.08"}) {
        StreamHandle *h = Open(host.AddItem(Pattern(10), accepted));
        EXPECT_NE(h, nullptr) << accepted;
        if (h)
            Close(h);
    }
}

TEST_F(TasbrinStream, NullHandlesAndMissingStateAreHarmless)
{
    uint32_t rate = 1;
    uint16_t channels = 2, bits = 3;
    SetLastError(0x1234);
    EXPECT_FALSE(P().Open(nullptr, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), 0x1234u) << "no error code for a NULL handle";

    StreamHandle *h = host.OpenStream(host.AddItem(Pattern(10), "a.07"));
    ResourceItem *item = h->item;
    h->item = nullptr;
    SetLastError(0x1234);
    EXPECT_FALSE(P().Open(h, &rate, &channels, &bits));
    EXPECT_EQ(GetLastError(), 0x1234u) << "no error code for a handle without an item";
    EXPECT_EQ(rate, 1u);
    h->item = item;

    uint8_t out[8];
    int32_t marker = 5;
    EXPECT_EQ(P().Read(nullptr, out, sizeof out, &marker), 0u);
    EXPECT_EQ(P().Read(h, out, sizeof out, &marker), 0u) << "no decoder state";
    EXPECT_EQ(marker, 5);
    EXPECT_TRUE(P().Close(nullptr));
    EXPECT_TRUE(P().Close(h));
    host.CloseStream(h);
}

TEST_F(TasbrinStream, LengthFollowsFromTheSize)
{
    struct Case {
        size_t size;
        const char *dataString;
        int32_t ms;
    };
    const Case cases[] = {{44100, "r.07", 1000}, {44100, "d-4.07", 2000}, {100, "r.08", 2},
                          {100, "d-0.08", 5},    {0, "r.07", 0},          {0, "d-1.07", 0},
                          {33, "d-.08", 1},      {10, "x.09", -1},        {10, "nodot", -1}};
    for (const Case &c : cases) {
        ResourceItem *item = host.AddItem(std::vector<uint8_t>(c.size), c.dataString);
        EXPECT_EQ(P().GetLength(item), c.ms) << c.size << " bytes, " << c.dataString;
        EXPECT_EQ(host.openStreams(), 0u) << "GetLength closes what it opened";
    }
    EXPECT_EQ(P().GetLength(host.AddItem(Pattern(10), "r.07", "MVE")), -1);
    EXPECT_EQ(P().GetLength(nullptr), -1);
    host.failOpen = true;
    EXPECT_EQ(P().GetLength(host.AddItem(Pattern(10), "r.07")), -1);
    host.failOpen = false;
    EXPECT_EQ(host.counters.opens, host.counters.closes + 1) << "only the failed open is unmatched";
}

TEST_F(TasbrinStream, IdentifyJudgesTheNameAndHandsOverAZeroedResourceInfo)
{
    ResourceItem *item = host.AddItem(Pattern(777), "x.09", "BLB", "whatever");
    StreamHandle *h = host.OpenStream(item);
    for (const char *name : {"snd.08", "snd-4.07", "A.B.107"}) {
        SCOPED_TRACE(name);
        ResourceInfo *info = P().Identify(h, 0, name);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(GlobalSize(info), 1084u);
        const uint8_t *bytes = reinterpret_cast<const uint8_t *>(info);
        uint32_t start = 1, size = 0;
        std::memcpy(&start, bytes + 0x430, 4);
        std::memcpy(&size, bytes + 0x434, 4);
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(size, 777u);
        size_t nonzero = 0;
        for (size_t i = 0; i < 1084; ++i)
            if (bytes[i] && (i < 0x430 || i >= 0x438))
                ++nonzero;
        EXPECT_EQ(nonzero, 0u) << "every byte but start and size stays zero";
        EXPECT_EQ(GlobalFree(info), nullptr) << "the host frees it with GlobalFree";
    }
    for (const char *name : {"snd.09", "snd", "snd.", "snd.7A"})
        EXPECT_EQ(P().Identify(h, 0, name), nullptr) << name;
    EXPECT_EQ(P().Identify(nullptr, 0, "snd.08"), nullptr);
    host.CloseStream(h);

    StreamHandle *other = host.OpenStream(host.AddItem(Pattern(10), "x.08", "RAW"));
    EXPECT_EQ(P().Identify(other, 0, "snd.08"), nullptr) << "only the BLB container";
    host.CloseStream(other);
}

} // namespace
