#include "host/cli/cli_args.h"

#include <gtest/gtest.h>

namespace {

ParseResult Parse(std::vector<std::string> args) { return ParseArguments(args); }

TEST(CliArgs, OptionsStandAnywhereAndItemDefaultsComeFromTheFileName)
{
    const ParseResult r = Parse({"--trace", "tasbrin", "--ini", "a.ini", "play", "dir/sub/music-4.08",
                                 "-o", "out.wav", "--raw", "--buffer", "0x100", "--read-chunk", "3"});
    ASSERT_TRUE(r.ok) << r.error;
    const CliOptions &o = r.options;
    EXPECT_EQ(o.plugin, "tasbrin");
    EXPECT_EQ(o.command, Command::Play);
    ASSERT_EQ(o.items.size(), 1u);
    EXPECT_EQ(o.items[0], "dir/sub/music-4.08");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_TRUE(o.raw && o.trace);
    EXPECT_EQ(o.ini, "a.ini");
    EXPECT_EQ(o.bufferSize, 0x100u);
    EXPECT_EQ(o.readChunk, 3u);
    EXPECT_EQ(o.container, "BLB");
    EXPECT_EQ(o.cachedLength, -1);
    EXPECT_EQ(ItemName(o, o.items[0]), "music-4.08");
    EXPECT_EQ(ItemDataString(o, o.items[0]), "music-4.08");

    const ParseResult given = Parse({"velmora", "length", "m.mve", "--data", "d.07", "--name", "N",
                                     "--container", "RAW", "--cached-length", "-5"});
    ASSERT_TRUE(given.ok) << given.error;
    EXPECT_EQ(ItemName(given.options, "m.mve"), "N");
    EXPECT_EQ(ItemDataString(given.options, "m.mve"), "d.07");
    EXPECT_EQ(given.options.container, "RAW");
    EXPECT_EQ(given.options.cachedLength, -5);
}

TEST(CliArgs, EachCommandTakesExactlyItsArguments)
{
    EXPECT_TRUE(Parse({"p", "info"}).ok);
    EXPECT_TRUE(Parse({"p", "about"}).ok);
    EXPECT_TRUE(Parse({"p", "config"}).ok);
    EXPECT_TRUE(Parse({"p", "identify", "i"}).ok);
    EXPECT_TRUE(Parse({"p", "infobox", "i"}).ok);
    EXPECT_TRUE(Parse({"p", "scan", "f", "--extract", "d"}).ok);
    EXPECT_FALSE(Parse({"p", "info", "extra"}).ok);
    EXPECT_FALSE(Parse({"p", "length"}).ok);
    EXPECT_FALSE(Parse({"p", "play", "i"}).ok);          /* no -o */
    EXPECT_FALSE(Parse({"p", "length", "i", "-o", "x"}).ok);
    EXPECT_FALSE(Parse({"p", "length", "i", "--raw"}).ok);
    EXPECT_FALSE(Parse({"p", "play", "i", "-o", "x", "--extract", "d"}).ok);
    EXPECT_FALSE(Parse({"p", "frobnicate"}).ok);
    EXPECT_FALSE(Parse({"p"}).ok);
    EXPECT_FALSE(Parse({}).ok);
    EXPECT_TRUE(Parse({"--help"}).ok);
    EXPECT_TRUE(Parse({"--help"}).options.help);
}

TEST(CliArgs, BadValuesAreRefusedWithAReason)
{
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"p", "info", "--buffer", "0"},
             {"p", "info", "--buffer", "-1"},
             {"p", "info", "--buffer", "12abc"},
             {"p", "info", "--buffer", "67108865"},
             {"p", "info", "--read-chunk", "0"},
             {"p", "info", "--cached-length", "4294967296"},
             {"p", "info", "--bogus"},
             {"p", "info", "--ini"},
             {"p", "about", "--dialog", "dump,jump"},
             {"p", "length", "i", "--data", std::string(256, 'd')},
             {"p", "length", std::string(0x10E, 'n')},
         }) {
        const ParseResult r = Parse(args);
        EXPECT_FALSE(r.ok) << args.back();
        EXPECT_FALSE(r.error.empty());
    }
    EXPECT_TRUE(Parse({"p", "length", "i", "--data", std::string(255, 'd')}).ok);
    EXPECT_TRUE(Parse({"p", "about", "--dialog", "dump,esc,wait,1008,ok,cancel,close"}).ok);
}

TEST(CliArgs, BatchesPipesAndSettingsGoTogetherOnlyWhereTheyMakeSense)
{
    const ParseResult batch = Parse({"-qy", "velmora", "play", "a.mve", "-d", "out", "b.mve", "--set",
                                     "NoWalk=off", "--set", "Odd=a=b", "--", "-c.mve"});
    ASSERT_TRUE(batch.ok) << batch.error;
    EXPECT_EQ(batch.options.items, (std::vector<std::string>{"a.mve", "b.mve", "-c.mve"}));
    EXPECT_TRUE(batch.options.quiet && batch.options.overwrite);
    EXPECT_EQ(batch.options.outputDir, "out");
    ASSERT_EQ(batch.options.settings.size(), 2u);
    EXPECT_EQ(batch.options.settings[1], (std::pair<std::string, std::string>{"Odd", "a=b"}));
    EXPECT_TRUE(Parse({"p", "play", "a", "-o", "-"}).options.ToStdout());
    EXPECT_TRUE(Parse({"p", "probe", "a", "b", "c"}).ok);
    EXPECT_TRUE(Parse({"--version"}).options.version);

    for (const auto &args : std::vector<std::vector<std::string>>{
             {"p", "play", "a", "b", "-o", "-"},       /* one stream, several items */
             {"p", "play", "a", "b", "-o", "x.wav"},
             {"p", "play", "a", "-o", "x.wav", "-d", "dir"},
             {"p", "play", "a", "-o", "x.wav", "-y"},  /* -y is for -d */
             {"p", "length", "a", "-d", "dir"},
             {"p", "play", "a", "b", "-d", "dir", "--name", "n"},
             {"p", "infobox", "a", "b"},
             {"p", "scan", "a", "b"},
             {"p", "info", "--set", "NoWalk"},
             {"p", "info", "--set", "=on"},
             {"p", "info", "--set", "[S]=on"},
             {"p", "info", "--set"},
             {"p", "play", "a", "-o"},
         }) {
        const ParseResult r = Parse(args);
        EXPECT_FALSE(r.ok) << args.back();
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
    }
}

} // namespace
