/* The descriptor the host finds velmora through. */
#include "mve_test_support.h"

#include <cstring>

extern "C" AudioFilePlugin *PLUGIN_CALL GetAudioFilePlugin(void);

namespace {

TEST(VelmoraDescriptor, HoldsTheTabledValues)
{
    AudioFilePlugin *p = GetAudioFilePlugin();
    ASSERT_EQ(p, &g_plugin);
    EXPECT_EQ(GetAudioFilePlugin(), p);
    EXPECT_EQ(p->interfaceVersion, 0x100u);
    EXPECT_EQ(p->pluginType, 1u);
    EXPECT_STREQ(p->pluginName, "ORV KORVAT Audio File Decoder");
    EXPECT_STREQ(p->versionText, "v0.90");
    EXPECT_STREQ(p->formatName, "MVE");
    const char *filter = p->fileFilter;
    EXPECT_STREQ(filter, "Interplay Video Files (*.MVE)");
    filter += std::strlen(filter) + 1;
    EXPECT_STREQ(filter, "*.mve");
    EXPECT_EQ(filter[std::strlen(filter) + 1], '\0');

    ASSERT_EQ(p->signatureCount, 1u);
    ASSERT_NE(p->signatures, nullptr);
    ASSERT_EQ(p->signatures[0].length, 20u);
    EXPECT_EQ(std::memcmp(p->signatures[0].bytes, "Interplay MVE File\x1A\0", 20), 0);

    EXPECT_NE(p->Init, nullptr);
    EXPECT_NE(p->Open, nullptr);
    EXPECT_NE(p->Read, nullptr);
    EXPECT_NE(p->Close, nullptr);
    EXPECT_EQ(p->reservedEntry, nullptr);
    p->Init(); /* needs nothing from the host */
}

} // namespace
