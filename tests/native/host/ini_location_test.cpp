#include "host/system/ini_location.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

/* Each test gets a folder of its own (ctest runs several at once) and the
 * environment variables it sets are put back afterwards. */
class IniLocationTest : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = testing::TempDir() + "plughost_ini_location_" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        fs::remove_all(root_);
        fs::create_directories(root_ + "program");
        program_ = root_ + "program/";
        for (const char *name : {"XDG_CONFIG_HOME", "HOME"}) {
            const char *value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        Set("XDG_CONFIG_HOME", nullptr);
        Set("HOME", (root_ + "home").c_str());
    }
    void TearDown() override
    {
        for (const auto &[name, value] : saved_)
            Set(name, value ? value->c_str() : nullptr);
        fs::permissions(program_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }
    static void Set(const char *name, const char *value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    static void Touch(const std::string &path) { std::ofstream(path) << "[x]\r\n"; }
    static unsigned Mode(const std::string &path)
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    /* A program folder nobody may write to, root included: one that is not
     * there (the settings cannot be made in it either). */
    std::string Unwritable() const { return root_ + "gone/"; }

    std::string root_, program_;
    std::vector<std::pair<const char *, std::optional<std::string>>> saved_;
};

TEST_F(IniLocationTest, AWritableProgramFolderKeepsTheSettings)
{
    EXPECT_EQ(DefaultIniPath(program_), program_ + "plughost.ini");
    EXPECT_EQ(DefaultIniPath(root_ + "program"), program_ + "plughost.ini");
    Touch(program_ + "plughost.ini");
    EXPECT_EQ(DefaultIniPath(program_), program_ + "plughost.ini");
    EXPECT_FALSE(fs::exists(root_ + "home")) << "nothing is made in the home folder";
}

/* A user's permissions: root may write to read-only files and folders. */
TEST_F(IniLocationTest, AReadOnlyProgramFolderOrFileSendsTheSettingsHome)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write anywhere";
    const std::string home = root_ + "home/.config/plughost/plughost.ini";
    Touch(program_ + "plughost.ini");
    fs::permissions(program_ + "plughost.ini", fs::perms::owner_read);
    EXPECT_EQ(DefaultIniPath(program_), home) << "a read-only file beside the program";
    fs::remove(program_ + "plughost.ini");
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(DefaultIniPath(program_), home) << "a read-only folder without the file";
    fs::permissions(program_, fs::perms::owner_all);
    Touch(program_ + "plughost.ini");
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(DefaultIniPath(program_), program_ + "plughost.ini")
        << "a writable file in a read-only folder is written in place";
}

TEST_F(IniLocationTest, XdgConfigHomeWhenAbsoluteElseHomeConfigMadePrivate)
{
    EXPECT_EQ(DefaultIniPath(Unwritable()), root_ + "home/.config/plughost/plughost.ini");
    for (const char *made : {"home", "home/.config", "home/.config/plughost"})
        EXPECT_EQ(Mode(root_ + made), 0700u) << made;
    EXPECT_FALSE(fs::exists(root_ + "home/.config/plughost/plughost.ini")) << "the plug-in makes the file";
    fs::create_directories(root_ + "xdg/plughost");
    fs::permissions(root_ + "xdg/plughost", fs::perms(0755));
    for (const char *ignored : {"", "relative"}) {
        Set("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(DefaultIniPath(Unwritable()), root_ + "home/.config/plughost/plughost.ini") << ignored;
    }
    Set("XDG_CONFIG_HOME", (root_ + "xdg/").c_str());
    EXPECT_EQ(DefaultIniPath(Unwritable()), root_ + "xdg/plughost/plughost.ini");
    EXPECT_EQ(Mode(root_ + "xdg/plughost"), 0755u) << "a folder that is there is left as it is";
}

TEST_F(IniLocationTest, NoUsableConfigFolderFallsBackToTheProgramFolder)
{
    Set("HOME", nullptr);
    EXPECT_EQ(DefaultIniPath(Unwritable()), Unwritable() + "plughost.ini") << "neither variable";
    Set("HOME", "home-relative");
    EXPECT_EQ(DefaultIniPath(Unwritable()), Unwritable() + "plughost.ini") << "a relative HOME";
    /* A file where the configuration folder should be. */
    Touch(root_ + "file");
    Set("XDG_CONFIG_HOME", (root_ + "file").c_str());
    EXPECT_EQ(DefaultIniPath(Unwritable()), Unwritable() + "plughost.ini");
    Set("XDG_CONFIG_HOME", (root_ + "file/below").c_str());
    EXPECT_EQ(DefaultIniPath(Unwritable()), Unwritable() + "plughost.ini");
}

} // namespace
