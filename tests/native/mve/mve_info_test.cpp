/* InfoBox's checks and what it hands its dialog, and the format summary.
 * Natively the dialog itself cannot open; the message boxes are recorded. */
#include "common/info_dialogs.h"
#include "mve_entries.h"
#include "mve_setting.h"
#include "mve_test_support.h"

namespace {

using namespace mvetest;

class MveInfo : public MveTest {
protected:
    void SetUp() override
    {
        MveTest::SetUp();
        g_infoSnapshot = InfoSnapshot{};
        boxesBefore = standin::LastMessageBox().count;
    }
    int NewBoxes() const { return standin::LastMessageBox().count - boxesBefore; }
    int boxesBefore = 0;
};

TEST_F(MveInfo, SummaryNamesCompressionChannelsRateAndWidth)
{
    char text[INFO_TEXT_CAPACITY];
    InfoSnapshot s{};
    s.sampleRate = 22050;
    s.channels = 2;
    s.bitsPerSample = 16;
    s.compressed = 4;
    FormatInfoSummary(text, s);
    EXPECT_STREQ(text, "Compression: MVE ADPCM\r\nChannels: 2 (stereo)\r\nSample Rate: 22050 Hz\r\nResolution: 16-bit");
    s.channels = 1;
    s.bitsPerSample = 8;
    s.compressed = 0;
    s.sampleRate = 11025;
    FormatInfoSummary(text, s);
    EXPECT_STREQ(text, "Compression: None\r\nChannels: 1 (mono)\r\nSample Rate: 11025 Hz\r\nResolution: 8-bit");
}

TEST_F(MveInfo, FillsTheSnapshotWithTheDeliveredFormatAndAWalkedLength)
{
    /* Compressed, flagged 8-bit: shown as the 16 bits it plays at. */
    const Bytes movie = SimpleMovie(0x04, {FrameOp(Bytes(20, 0), 4410)});
    ResourceItem *item = host.AddItem(movie, "intro.mve", "RAW", "INTRO");
    noWalk = 0;
    g_plugin.InfoBox(item, nullptr);
    const InfoSnapshot &s = g_infoSnapshot;
    EXPECT_EQ(s.item, item);
    EXPECT_EQ(s.streamSize, movie.size());
    EXPECT_EQ(s.compressed, 4u);
    EXPECT_EQ(s.channels, 1);
    EXPECT_EQ(s.bitsPerSample, 16);
    EXPECT_EQ(s.sampleRate, 22050u);
    EXPECT_EQ(s.lengthMs, 100u);
    EXPECT_EQ(item->cachedLength, -1) << "the walked length is shown, not stored";
    EXPECT_EQ(NewBoxes(), 0);
    EXPECT_EQ(host.openStreams(), 0u);

    /* Walking off: no length; a cached one is shown as it stands. */
    noWalk = 1;
    g_plugin.InfoBox(item, nullptr);
    EXPECT_EQ(s.lengthMs, PLUGIN_NO_LENGTH);
    item->cachedLength = 61000;
    g_plugin.InfoBox(item, nullptr);
    EXPECT_EQ(s.lengthMs, 61000u);
}

TEST_F(MveInfo, WarnsAndKeepsTheSnapshotWhenItCannotShowTheItem)
{
    ResourceItem *good = host.AddItem(SimpleMovie(0x01, {}));
    noWalk = 1;
    g_plugin.InfoBox(good, nullptr);
    ASSERT_EQ(g_infoSnapshot.channels, 2);

    g_plugin.InfoBox(host.AddItem(Header()), nullptr);
    EXPECT_EQ(NewBoxes(), 1);
    EXPECT_EQ(standin::LastMessageBox().text, "This is not MVE file or no soundtrack present.");
    EXPECT_EQ(standin::LastMessageBox().caption, "ORV KORVAT Audio File Decoder");
    EXPECT_EQ(standin::LastMessageBox().type, unsigned(MB_ICONWARNING));
    EXPECT_EQ(g_infoSnapshot.item, good) << "the snapshot keeps its previous values";
    EXPECT_EQ(g_infoSnapshot.channels, 2);

    host.failOpen = true;
    g_plugin.InfoBox(good, nullptr);
    EXPECT_EQ(NewBoxes(), 2);
    EXPECT_EQ(standin::LastMessageBox().text, "Cannot open file.");
    host.failOpen = false;
    EXPECT_EQ(host.openStreams(), 0u);

    host.counters = {};
    g_plugin.InfoBox(nullptr, nullptr);
    EXPECT_EQ(host.counters.total(), 0u);
    EXPECT_EQ(NewBoxes(), 2);
}

} // namespace
