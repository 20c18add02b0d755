/* The walking setting in the host's INI file: what Init reads and what
 * Shutdown writes back. */
#include "mve_setting.h"
#include "mve_test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

const char kSection[] = "[ORV KORVAT Audio File Decoder]";

class MveSetting : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = ::testing::TempDir() + "velmora_setting_" + std::to_string(getpid()) + ".ini";
        std::remove(path.c_str());
    }
    void TearDown() override
    {
        std::remove(path.c_str());
        g_plugin.iniFileName = nullptr;
    }
    void Write(const std::string &text)
    {
        std::ofstream(path, std::ios::trunc) << text;
    }
    std::string Contents() const
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    /* Init on an INI file holding text; the resulting noWalk. */
    uint32_t InitWith(const std::string &text)
    {
        Write(text);
        g_plugin.iniFileName = path.c_str();
        noWalk = 12345;
        g_plugin.Init();
        return noWalk;
    }

    std::string path;
};

TEST_F(MveSetting, OnlyOffInAnyCaseAllowsWalking)
{
    for (const char *value : {"off", "OFF", "Off", "oFf"})
        EXPECT_EQ(InitWith(std::string(kSection) + "\r\nNoWalk=" + value + "\r\n"), 0u) << value;
    for (const char *value : {"on", "", "0", "no", "false", "offf", "of"})
        EXPECT_EQ(InitWith(std::string(kSection) + "\r\nNoWalk=" + value + "\r\n"), 1u) << "'" << value << "'";
}

TEST_F(MveSetting, MissingKeySectionOrFileMeansNoWalking)
{
    EXPECT_EQ(InitWith(std::string(kSection) + "\r\nOther=off\r\n"), 1u);
    EXPECT_EQ(InitWith("[Another Plug-In]\r\nNoWalk=off\r\n"), 1u) << "only the plug-in's own section counts";
    std::remove(path.c_str());
    g_plugin.iniFileName = path.c_str();
    g_plugin.Init();
    EXPECT_EQ(noWalk, 1u) << "an INI file that does not exist";
    g_plugin.iniFileName = nullptr;
    noWalk = 0;
    g_plugin.Init();
    EXPECT_EQ(noWalk, 1u) << "no INI file name at all";
}

TEST_F(MveSetting, ShutdownWritesTheSettingBack)
{
    /* The key is added where it was missing, as "on". */
    InitWith(std::string(kSection) + "\r\nOther=1\r\n");
    g_plugin.Shutdown();
    g_plugin.Init();
    EXPECT_EQ(noWalk, 1u);
    EXPECT_NE(Contents().find("NoWalk=on"), std::string::npos) << Contents();
    EXPECT_NE(Contents().find("Other=1"), std::string::npos) << "other keys are kept";

    /* A change made since Init reaches the file only at Shutdown. */
    noWalk = 0;
    EXPECT_NE(Contents().find("NoWalk=on"), std::string::npos);
    g_plugin.Shutdown();
    EXPECT_NE(Contents().find("NoWalk=off"), std::string::npos) << Contents();
    noWalk = 1;
    g_plugin.Init();
    EXPECT_EQ(noWalk, 0u);
}

TEST_F(MveSetting, WithoutAnIniFileNothingIsWritten)
{
    g_plugin.iniFileName = nullptr;
    noWalk = 0;
    g_plugin.Shutdown();
    EXPECT_FALSE(std::ifstream(path).good());
}

} // namespace
