/* Native string tables: every text a native module hands out through
 * LoadStringA is the one the resource compiler puts into the DLL built from
 * the same script (compiled here with windres and read from the .res), and
 * LoadStringA fills its buffer as Windows does. */
#include "common/winapi.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using Strings = std::map<unsigned, std::string>;

class Module {
public:
    explicit Module(const char *path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~Module()
    {
        if (handle_)
            dlclose(handle_);
    }
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;
    HINSTANCE handle() const { return handle_; }

private:
    void *handle_;
};

unsigned Word(const std::vector<unsigned char> &d, size_t at) { return d[at] | d[at + 1] << 8; }
unsigned Dword(const std::vector<unsigned char> &d, size_t at) { return Word(d, at) | Word(d, at + 2) << 16; }

/* UTF-16LE text in Windows-1252, the conversion LoadStringA makes. */
bool ToAnsi(const unsigned char *utf16, size_t units, std::string &out)
{
    iconv_t cd = iconv_open("CP1252", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string result(units * 2, '\0');
    char *in = reinterpret_cast<char *>(const_cast<unsigned char *>(utf16));
    char *to = &result[0];
    size_t inLeft = units * 2, outLeft = result.size();
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    result.resize(result.size() - outLeft);
    out = result;
    return ok;
}

/* Skips a resource type or name: an ordinal (0xFFFF, number) or a string. */
size_t SkipId(const std::vector<unsigned char> &d, size_t at, unsigned *ordinal)
{
    *ordinal = 0;
    if (Word(d, at) == 0xFFFF) {
        *ordinal = Word(d, at + 2);
        return at + 4;
    }
    while (Word(d, at) != 0)
        at += 2;
    return at + 2;
}

/* The RT_STRING blocks of a .res file. */
::testing::AssertionResult ReadResStrings(const std::vector<unsigned char> &d, Strings &out)
{
    for (size_t p = 0; p + 32 <= d.size();) {
        const size_t dataSize = Dword(d, p), headerSize = Dword(d, p + 4);
        if (headerSize < 32 || headerSize > d.size() - p || dataSize > d.size() - p - headerSize)
            return ::testing::AssertionFailure() << "bad resource header at " << p;
        unsigned type = 0, block = 0;
        SkipId(d, SkipId(d, p + 8, &type), &block);
        const size_t data = p + headerSize, end = data + dataSize;
        if (type == 6) { /* RT_STRING: sixteen counted strings, block n holding IDs 16(n-1)... */
            size_t q = data;
            for (unsigned slot = 0; slot < 16 && q + 2 <= end; ++slot) {
                const size_t units = Word(d, q);
                q += 2;
                if (units * 2 > end - q)
                    return ::testing::AssertionFailure() << "string runs past its block";
                if (units && !ToAnsi(&d[q], units, out[(block - 1) * 16 + slot]))
                    return ::testing::AssertionFailure() << "string " << (block - 1) * 16 + slot
                                                         << " has characters outside Windows-1252";
                q += units * 2;
            }
        }
        p = (end + 3) & ~size_t(3);
    }
    return ::testing::AssertionSuccess();
}

/* What windres makes of a resource script's string tables. */
::testing::AssertionResult CompileStrings(const std::string &rc, Strings &out)
{
    char dir[] = "/tmp/module_strings_XXXXXX";
    if (!mkdtemp(dir))
        return ::testing::AssertionFailure() << "no scratch folder";
    const std::string res = std::string(dir) + "/strings.res";
    const std::string command = std::string("'") + WINDRES + "' -i '" + rc + "' -O res -o '" + res + "' 2>&1";
    std::string messages;
    int status = -1;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            messages += static_cast<char>(c);
        status = pclose(pipe);
    }
    std::ifstream file(res, std::ios::binary);
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::remove(res.c_str());
    rmdir(dir);
    if (status != 0 || data.empty())
        return ::testing::AssertionFailure() << command << " failed (scripts/install-deps.sh installs windres):\n"
                                             << messages;
    return ReadResStrings(data, out);
}

std::string Load(HINSTANCE module, unsigned id, int *result)
{
    char buffer[4096];
    *result = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, *result > 0 ? *result : 0);
}

/* A text for a failure message: bytes outside printable ASCII as \xHH. */
std::string Shown(const std::string &text)
{
    std::string out;
    for (const unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : hex;
    }
    return out;
}

/* Every ID from 0 to 65535: the same text, and none where the DLL has none. */
void ExpectSameStrings(const char *rc, const char *library, size_t atLeast)
{
    Strings expected;
    ASSERT_TRUE(CompileStrings(rc, expected));
    ASSERT_GE(expected.size(), atLeast) << "windres found fewer strings in " << rc << " than it holds";
    Module module(library);
    ASSERT_NE(module.handle(), nullptr) << dlerror();
    int wrong = 0;
    for (unsigned id = 0; id <= 0xFFFF && wrong < 5; ++id) {
        int n = 0;
        const std::string text = Load(module.handle(), id, &n);
        const auto it = expected.find(id);
        const std::string want = it == expected.end() ? std::string() : it->second;
        if (n != static_cast<int>(want.size()) || text != want) {
            ADD_FAILURE() << rc << ": string " << id << " is \"" << Shown(text) << "\" (" << n
                          << "), the DLL's is \"" << Shown(want) << "\"";
            ++wrong;
        }
    }
}

TEST(ModuleStrings, VelmoraSaysWhatItsDllSays) { ExpectSameStrings(VELMORA_RC, VELMORA_SO, 3); }
TEST(ModuleStrings, TasbrinSaysWhatItsDllSays) { ExpectSameStrings(TASBRIN_RC, TASBRIN_SO, 3); }
/* Quotes, escapes, joined literals, odd IDs, raw code-page bytes, blocks
 * outside BEGIN/END and text that only looks like a string table. */
TEST(ModuleStrings, AwkwardScriptReadsAsWindresReadsIt) { ExpectSameStrings(FIXTURE_RC, FIXTURE_SO, 15); }

TEST(LoadStringA, FillsTheBufferAsWindowsDoes)
{
    Module module(FIXTURE_SO);
    ASSERT_NE(module.handle(), nullptr) << dlerror();
    const HINSTANCE m = module.handle();
    const std::string full = "a long string for truncation: 0123456789abcdefghijklmnopqrstuvwxyz";
    char b[100];

    std::memset(b, 'X', sizeof b);
    EXPECT_EQ(LoadStringA(m, 101, b, sizeof b), static_cast<int>(full.size()));
    EXPECT_EQ(std::string(b), full);

    std::memset(b, 'X', sizeof b); /* n-1 characters and the NUL, nothing beyond */
    EXPECT_EQ(LoadStringA(m, 101, b, 5), 4);
    EXPECT_EQ(std::string(b), "a lo");
    EXPECT_EQ(b[5], 'X');

    std::memset(b, 'X', sizeof b);
    EXPECT_EQ(LoadStringA(m, 101, b, 1), 0);
    EXPECT_EQ(b[0], '\0');
    EXPECT_EQ(b[1], 'X');

    std::memset(b, 'X', sizeof b); /* n == 0: -1, buffer untouched */
    EXPECT_EQ(LoadStringA(m, 101, b, 0), -1);
    EXPECT_EQ(b[0], 'X');
    EXPECT_EQ(LoadStringA(m, 101, b, -1), 0);
    EXPECT_EQ(b[0], 'X');
    EXPECT_EQ(LoadStringA(m, 101, nullptr, 10), 0);

    /* A NUL inside counts; only the ID's low word names the string (a
     * last-error code can be passed as it is). */
    int n = 0;
    EXPECT_EQ(Load(m, 7, &n), std::string("nul\0inside", 10));
    EXPECT_EQ(Load(m, 0x20000001, &n), "plain");
}

TEST(LoadStringA, MissingStringGivesZeroAndAnEmptyBuffer)
{
    Module fixture(FIXTURE_SO);
    Module noTable("libm.so.6");
    ASSERT_NE(fixture.handle(), nullptr) << dlerror();
    ASSERT_NE(noTable.handle(), nullptr) << dlerror();
    char b[16];
    const struct {
        HINSTANCE module;
        unsigned id;
        DWORD error;
    } cases[] = {{fixture.handle(), 99, 1814}, {fixture.handle(), 100 /* "" */, 1814},
                 {noTable.handle(), 1, 1813}, {nullptr, 1, 1813}};
    for (const auto &c : cases) {
        std::memset(b, 'X', sizeof b);
        SetLastError(0);
        EXPECT_EQ(LoadStringA(c.module, c.id, b, sizeof b), 0) << c.id;
        EXPECT_EQ(b[0], '\0') << c.id;
        EXPECT_EQ(GetLastError(), c.error) << c.id;
    }
}

} // namespace
