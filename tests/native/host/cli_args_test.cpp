#include "host/cli_args.h"

#include <gtest/gtest.h>

namespace {

ParseResult Parse(std::vector<std::string> args) { return ParseArguments(args); }

TEST(CliArgs, OptionsStandAnywhereAndItemDefaultsComeFromTheFileName)
{
    const ParseResult r = Parse({"--trace", "tasbrin", "--ini", "a.ini", "play", "dir/sub\\music-4.08",
                                 "-o", "out.wav", "--raw", "--buffer", "0x100", "--read-chunk", "3"});
    ASSERT_TRUE(r.ok) << r.error;
    const CliOptions &o = r.options;
    EXPECT_EQ(o.plugin, "tasbrin");
    EXPECT_EQ(o.command, Command::Play);
    EXPECT_EQ(o.item, "dir/sub\\music-4.08");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_TRUE(o.raw && o.trace);
    EXPECT_EQ(o.ini, "a.ini");
    EXPECT_EQ(o.bufferSize, 0x100u);
    EXPECT_EQ(o.readChunk, 3u);
    EXPECT_EQ(o.container, "BLB");
    EXPECT_EQ(o.cachedLength, -1);
    EXPECT_EQ(ItemName(o), "music-4.08");
    EXPECT_EQ(ItemDataString(o), "music-4.08");

    const ParseResult given = Parse({"velmora", "length", "m.mve", "--data", "d.07", "--name", "N",
                                     "--container", "RAW", "--cached-length", "-5"});
    ASSERT_TRUE(given.ok) << given.error;
    EXPECT_EQ(ItemName(given.options), "N");
    EXPECT_EQ(ItemDataString(given.options), "d.07");
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

} // namespace
