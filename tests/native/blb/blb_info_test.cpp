#include "common/info_dialogs.h"

#include "blb_test_support.h"

#include <cstring>

extern "C" AudioFilePlugin *PLUGIN_CALL GetAudioFilePlugin(void);

namespace {

std::string Summary(uint8_t shift)
{
    InfoSnapshot s{};
    s.sampleRate = 22050;
    s.channels = 1;
    s.bitsPerSample = 16;
    s.shift = shift;
    char text[INFO_TEXT_CAPACITY];
    FormatInfoSummary(text, s);
    return text;
}

TEST(BlbInfoSummary, NamesTheEncodingAndShift)
{
    EXPECT_EQ(Summary(0xFF),
              "Compression: None\r\nShift: 0xFF\r\nChannels: 1 (mono)\r\nSample Rate: 22050 Hz\r\nResolution: 16-bit");
    EXPECT_EQ(Summary(4),
              "Compression: DW ADPCM\r\nShift: 0x04\r\nChannels: 1 (mono)\r\nSample Rate: 22050 Hz\r\nResolution: 16-bit");
    EXPECT_EQ(Summary(0x1F).substr(0, 38), "Compression: DW ADPCM\r\nShift: 0x1F\r\nCh");
}

class BlbInfoBox : public BlbTest {
protected:
    BlbInfoBox() { standin::LastMessageBox() = {}; g_infoSnapshot = {}; }
};

TEST_F(BlbInfoBox, RefusesWhatIsNotASound)
{
    ResourceItem *item = host.AddItem({1, 2}, "music.09");
    InfoBox(item, nullptr);
    const auto &box = standin::LastMessageBox();
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.text, "This is not TIRLEN file.");
    EXPECT_EQ(box.caption, "ORV TIRLEN Audio File Decoder");
    EXPECT_EQ(box.type, static_cast<unsigned>(MB_ICONWARNING));
    EXPECT_EQ(host.openStreams(), 0u);
    EXPECT_EQ(g_infoSnapshot.item, nullptr) << "a refusal leaves the snapshot alone";

    host.failOpen = true;
    InfoBox(item, nullptr);
    EXPECT_EQ(box.count, 2);
    EXPECT_EQ(box.text, "Cannot open file.");
    EXPECT_EQ(box.caption, "ORV TIRLEN Audio File Decoder");
    EXPECT_EQ(box.type, static_cast<unsigned>(MB_ICONWARNING));

    InfoBox(nullptr, nullptr);
    EXPECT_EQ(box.count, 2);
}

TEST_F(BlbInfoBox, SnapshotsTheSoundWithoutTouchingTheItem)
{
    ResourceItem *item = host.AddItem(std::vector<uint8_t>(44100), "music-4.08");
    InfoBox(item, nullptr);
    EXPECT_EQ(standin::LastMessageBox().count, 0);
    const InfoSnapshot &s = g_infoSnapshot;
    EXPECT_EQ(s.item, item);
    EXPECT_EQ(s.streamSize, 44100u);
    EXPECT_EQ(s.lengthMs, 2000u);
    EXPECT_EQ(s.sampleRate, 22050u);
    EXPECT_EQ(s.channels, 1u);
    EXPECT_EQ(s.bitsPerSample, 16u);
    EXPECT_EQ(s.shift, 4);
    EXPECT_EQ(item->cachedLength, -1);
    EXPECT_EQ(host.openStreams(), 0u);

    /* A cached length is shown as the host has it. */
    item->cachedLength = 1234;
    InfoBox(item, nullptr);
    EXPECT_EQ(s.lengthMs, 1234u);

    ResourceItem *raw = host.AddItem(std::vector<uint8_t>(44100), "sfx.07");
    InfoBox(raw, nullptr);
    EXPECT_EQ(s.shift, 0xFF);
    EXPECT_EQ(s.lengthMs, 1000u);

    /* A later refusal keeps these values. */
    InfoBox(host.AddItem({1}, "x.0A"), nullptr);
    EXPECT_EQ(s.item, raw);
}

TEST(BlbDescriptor, IsTheOneStaticRecordWithTasbrinsValues)
{
    AudioFilePlugin *p = GetAudioFilePlugin();
    EXPECT_EQ(p, &g_plugin);
    EXPECT_EQ(GetAudioFilePlugin(), p);
    EXPECT_EQ(p->interfaceVersion, 0x100u);
    EXPECT_EQ(p->pluginType, 1u);
    EXPECT_STREQ(p->pluginName, "ORV TIRLEN Audio File Decoder");
    EXPECT_STREQ(p->versionText, "v1.00");
    EXPECT_STREQ(p->formatName, "TIRLEN");
    const char *filter = p->fileFilter;
    EXPECT_STREQ(filter, "BLB SFX/Music Audio Files (*.07;*.08)");
    filter += std::strlen(filter) + 1;
    EXPECT_STREQ(filter, "*.07;*.08");
    EXPECT_EQ(filter[std::strlen(filter) + 1], '\0');
    EXPECT_EQ(p->signatureCount, 0u);
    EXPECT_EQ(p->signatures, nullptr);
    EXPECT_EQ(p->Config, nullptr);
    EXPECT_EQ(p->Shutdown, nullptr);
    EXPECT_EQ(p->ScanFile, nullptr);
    EXPECT_EQ(p->reservedEntry, nullptr);
    EXPECT_NE(p->About, nullptr);
    EXPECT_NE(p->Init, nullptr);
    EXPECT_NE(p->InfoBox, nullptr);
    EXPECT_NE(p->Open, nullptr);
    EXPECT_NE(p->Close, nullptr);
    EXPECT_NE(p->Read, nullptr);
    EXPECT_NE(p->Identify, nullptr);
    EXPECT_NE(p->GetLength, nullptr);
    /* Natively no dialog can be created: About reports that as -1. */
    EXPECT_EQ(p->About(nullptr), -1);
}

} // namespace
