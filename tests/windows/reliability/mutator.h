/* Seeded damage to valid movies and sounds, of the kinds real files show:
 * flipped bits, files cut short, chunk and opcode lengths that lie (0, 1, 5,
 * 0xFFFF), chunks repeated or missing, overwritten runs, wrong record types,
 * and data strings with the wrong pieces.  The same seed gives the same
 * file, so a failure is reproduced from its number alone. */
#ifndef TESTS_WINDOWS_RELIABILITY_MUTATOR_H
#define TESTS_WINDOWS_RELIABILITY_MUTATOR_H

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

/* xorshift64*: small, fast and the same everywhere. */
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }

private:
    uint64_t state_;
};

/* Where the chunk and opcode headers of a movie are, followed from its
 * header as far as they go. */
struct MovieRecord {
    size_t at;
    bool chunk; /* else an opcode inside the preceding chunk */
    size_t length; /* header plus body */
};
std::vector<MovieRecord> MovieRecords(const Bytes &file);

/* One to three damages of the kinds above.  *what names them. */
Bytes MutateMovie(const Bytes &file, Rng &rng, std::string *what);
Bytes MutateSound(const Bytes &resource, Rng &rng, std::string *what);
std::string MutateDataString(const std::string &dataString, Rng &rng);

#endif
