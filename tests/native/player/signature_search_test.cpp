#include "player/signature_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

/* A reader over a string that counts how much it was asked for at most. */
struct StringReader {
    std::string data;
    size_t largestRequest = 0;
    ReadAtFn fn()
    {
        return [this](uint64_t offset, uint8_t *buffer, size_t n) -> size_t {
            largestRequest = std::max(largestRequest, n);
            if (offset >= data.size())
                return 0;
            const size_t got = std::min<size_t>(n, data.size() - offset);
            std::memcpy(buffer, data.data() + offset, got);
            return got;
        };
    }
};

Signature Sig(const std::string &s) { return Signature(s.begin(), s.end()); }

TEST(SignatureSearch, FindsEachMatchFromTheGivenOffsetOn)
{
    StringReader r{"xxSIGyySIGzzSIG"};
    const std::vector<Signature> sigs{Sig("SIG")};
    EXPECT_EQ(FindSignature(r.fn(), sigs, 0), 2);
    EXPECT_EQ(FindSignature(r.fn(), sigs, 2), 2);
    EXPECT_EQ(FindSignature(r.fn(), sigs, 3), 7);
    EXPECT_EQ(FindSignature(r.fn(), sigs, 8), 12); /* ends exactly at the end of the data */
    EXPECT_EQ(FindSignature(r.fn(), sigs, 13), -1);
    EXPECT_EQ(FindSignature(r.fn(), sigs, 1000), -1);
}

TEST(SignatureSearch, EarliestOfSeveralSignaturesAndEmptyOnesNeverMatch)
{
    StringReader r{"....BBBB..AA"};
    EXPECT_EQ(FindSignature(r.fn(), {Sig("AA"), Sig("BBB")}, 0), 4);
    EXPECT_EQ(FindSignature(r.fn(), {Sig("AA"), Sig("BBB")}, 6), 10);
    EXPECT_EQ(FindSignature(r.fn(), {Sig("")}, 0), -1);
    EXPECT_EQ(FindSignature(r.fn(), {}, 0), -1);
    EXPECT_EQ(FindSignature(r.fn(), {Sig("A..."), Sig("")}, 0), -1); /* would need bytes past the end */
}

TEST(SignatureSearch, MatchesAcrossWindowEdgesWithBoundedReads)
{
    const std::string sig = "Interplay MVE File\x1A";
    for (size_t at : {0u, 1u, 13u, 14u, 15u, 16u, 31u, 32u, 33u, 100u}) {
        StringReader r{std::string(at, 'I') + sig + std::string(7, 'x')};
        EXPECT_EQ(FindSignature(r.fn(), {Sig(sig)}, 0, 16), static_cast<int64_t>(at)) << at;
        EXPECT_LE(r.largestRequest, 16 + sig.size() - 1);
    }
    /* A near miss straddling a window edge is not a match. */
    StringReader miss{std::string(10, '.') + "Interplay MVE Filx" + sig};
    EXPECT_EQ(FindSignature(miss.fn(), {Sig(sig)}, 0, 16), 28);
}

} // namespace
