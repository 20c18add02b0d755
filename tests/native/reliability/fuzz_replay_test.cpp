/* Every kept fuzz input, and a few made here, through the fuzz targets of
 * one plug-in.  A target that finds a broken contract aborts the program
 * after naming the input, so a failure here is a finding to reproduce with
 * the libFuzzer program (scripts/fuzz.sh) or this one. */
#include "fuzz_targets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

const FuzzTarget kTargets[] = {FUZZ_TARGET_TABLE};

std::vector<fs::path> CorpusOf(const char *target)
{
    std::vector<fs::path> files;
    const fs::path dir = fs::path(FUZZ_CORPUS_DIR) / target;
    if (fs::is_directory(dir))
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzCorpusReplay, EveryTargetHasAKeptCorpus)
{
    for (const FuzzTarget &t : kTargets)
        EXPECT_FALSE(CorpusOf(t.name).empty()) << "fuzz/corpus/" << t.name << " is empty";
}

TEST(FuzzCorpusReplay, KeptInputsKeepEveryContract)
{
    size_t replayed = 0;
    for (const FuzzTarget &t : kTargets) {
        for (const fs::path &file : CorpusOf(t.name)) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::fprintf(stderr, "replaying %s\n", file.string().c_str());
            EXPECT_EQ(t.run(data.data(), data.size()), 0);
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
}

/* Degenerate inputs no corpus needs to hold: nothing at all, control bytes
 * only, and every single-byte input. */
TEST(FuzzCorpusReplay, DegenerateInputs)
{
    const std::vector<uint8_t> zeros(64, 0);
    const std::vector<uint8_t> ones(64, 0xFF);
    for (const FuzzTarget &t : kTargets) {
        EXPECT_EQ(t.run(nullptr, 0), 0);
        EXPECT_EQ(t.run(zeros.data(), zeros.size()), 0);
        EXPECT_EQ(t.run(ones.data(), ones.size()), 0);
        for (int b = 0; b < 256; ++b) {
            const uint8_t one = static_cast<uint8_t>(b);
            EXPECT_EQ(t.run(&one, 1), 0);
        }
    }
}

} // namespace
