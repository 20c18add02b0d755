#include "host/exit_codes.h"
#include "host/output/output_file.h"
#include "host/output/output_plan.h"
#include "host/output/expand_wildcards.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Folder()
{
    const std::string dir = testing::TempDir() + "plughost_output_rules_" +
                            testing::UnitTest::GetInstance()->current_test_info()->name();
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    return dir;
}

void Put(const std::string &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }
std::string Get(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
std::vector<std::string> Names(const std::string &dir)
{
    std::vector<std::string> names;
    ListFolder(dir, names);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Wildcards, ExpandSortedFilesAndSayWhatMatchesNothing)
{
    const std::string dir = Folder();
    for (const char *name : {"b.mve", "a.mve", "c.txt"})
        Put(dir + "/" + name, "x");
    MakeFolders(dir + "/d.mve");
    size_t unmatched = 0;
    const std::vector<std::string> got =
        ExpandWildcards({dir + "/*.mve", dir + "/*.none", "plain.mve"}, unmatched);
    EXPECT_EQ(got, (std::vector<std::string>{dir + "/a.mve", dir + "/b.mve", "plain.mve"}));
    EXPECT_EQ(unmatched, 1u);
}

TEST(Paths, OnlyThisSystemsSeparatorsSplitAName)
{
    EXPECT_EQ(BaseName("dir/sub/a.b.mve"), "a.b.mve");
    EXPECT_EQ(Stem("dir/a.b.mve"), "a.b");
    EXPECT_EQ(FolderOf("/a.mve"), "/");
    EXPECT_EQ(JoinPath("out", "a.wav"), std::string("out") + kPathSeparator + "a.wav");
    /* A backslash is part of a name here, as the file system has it. */
    EXPECT_EQ(BaseName("back\\slash.mve"), "back\\slash.mve");
    EXPECT_EQ(FolderOf("back\\slash.mve"), "");
    EXPECT_EQ(DisplayPath("a/b"), "a/b");
}

TEST(OutputRules, NamesKeepTheWholeFileName)
{
    EXPECT_EQ(OutputName("dir/music-4.08", ".wav"), "music-4.08.wav");
    EXPECT_EQ(OutputName("music-4.07", ".wav"), "music-4.07.wav");
    EXPECT_EQ(OutputName("disc.iso", "-2.mve"), "disc.iso-2.mve");
}

TEST(OutputRules, PlanRefusesMeetingOutputsAndOutputsThatAreInputs)
{
    const std::string dir = Folder();
    Put(dir + "/movie.mve", "movie");
    OutputCheck meet;
    meet.AddOutput("a/x.mve", dir + "/x.mve.wav");
    meet.AddOutput("b/x.mve", dir + "/x.mve.wav");
    EXPECT_EQ(meet.Check(), kExitUsage);

    ASSERT_EQ(link((dir + "/movie.mve").c_str(), (dir + "/other-name.wav").c_str()), 0);
    OutputCheck same;
    same.AddInput(dir + "/movie.mve");
    same.AddOutput(dir + "/movie.mve", dir + "/other-name.wav");
    EXPECT_EQ(same.Check(), kExitUsage);

    OutputCheck fine;
    fine.AddInput(dir + "/movie.mve");
    fine.AddOutput(dir + "/movie.mve", dir + "/movie.mve.wav");
    EXPECT_EQ(fine.Check(), kExitOk);
}

TEST(OutputRules, FilesAppearWholeOrNotAtAll)
{
    const std::string dir = Folder();
    const std::string path = dir + "/out.wav";
    {
        OutputFile out;
        ASSERT_TRUE(out.Open(path, false));
        std::fputs("sound", out.file());
        EXPECT_EQ(Names(dir).size(), 1u);
        EXPECT_NE(Names(dir)[0], "out.wav") << "written under its final name before it was complete";
        ASSERT_TRUE(out.Commit());
    }
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(Get(path), "sound");

    {
        OutputFile abandoned; /* going out of scope without Commit */
        ASSERT_TRUE(abandoned.Open(dir + "/half.wav", false));
        std::fputs("half", abandoned.file());
    }
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.wav"});

    /* A file that appears meanwhile under the name is not replaced
     * without leave, and the temporary file goes. */
    OutputFile late;
    ASSERT_TRUE(late.Open(path, false));
    std::fputs("new", late.file());
    EXPECT_FALSE(late.Commit());
    EXPECT_EQ(Get(path), "sound");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.wav"});

    OutputFile replacing;
    ASSERT_TRUE(replacing.Open(path, true));
    std::fputs("new", replacing.file());
    ASSERT_TRUE(replacing.Commit());
    EXPECT_EQ(Get(path), "new");
}

} // namespace
