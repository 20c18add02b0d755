#include "mutator.h"

#include <algorithm>

uint32_t Rng::Next()
{
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

namespace {

const size_t kHeader = 26;

uint16_t U16(const Bytes &b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

void PutU16(Bytes &b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void FlipBits(Bytes &b, Rng &rng)
{
    for (uint32_t n = 1 + rng.Below(8); n > 0 && !b.empty(); --n)
        b[rng.Below(uint32_t(b.size()))] ^= static_cast<uint8_t>(1u << rng.Below(8));
}

void Truncate(Bytes &b, Rng &rng) { b.resize(rng.Below(uint32_t(b.size()) + 1)); }

void Overwrite(Bytes &b, Rng &rng)
{
    if (b.empty())
        return;
    const size_t at = rng.Below(uint32_t(b.size()));
    const size_t n = std::min<size_t>(1 + rng.Below(32), b.size() - at);
    const uint8_t fill = rng.Below(3) == 0 ? 0xFF : rng.Below(2) ? 0x00 : static_cast<uint8_t>(rng.Next());
    std::fill(b.begin() + at, b.begin() + at + n, fill);
}

/* A record of the wanted kind, or NULL when the movie has none left. */
const MovieRecord *Pick(const std::vector<MovieRecord> &records, bool chunk, Rng &rng)
{
    std::vector<const MovieRecord *> of;
    for (const MovieRecord &r : records)
        if (r.chunk == chunk)
            of.push_back(&r);
    return of.empty() ? nullptr : of[rng.Below(uint32_t(of.size()))];
}

} // namespace

std::vector<MovieRecord> MovieRecords(const Bytes &file)
{
    std::vector<MovieRecord> records;
    size_t at = kHeader;
    while (at + 4 <= file.size()) {
        const size_t chunkEnd = std::min(file.size(), at + 4 + U16(file, at));
        records.push_back({at, true, chunkEnd - at});
        for (size_t op = at + 4; op + 4 <= chunkEnd;) {
            const size_t opEnd = std::min(chunkEnd, op + 4 + U16(file, op));
            records.push_back({op, false, opEnd - op});
            op = opEnd;
        }
        at = chunkEnd;
    }
    return records;
}

Bytes MutateMovie(const Bytes &file, Rng &rng, std::string *what)
{
    static const uint16_t kLengths[] = {0, 1, 5, 0xFFFF};
    Bytes b = file;
    what->clear();
    for (uint32_t n = 1 + rng.Below(3); n > 0; --n) {
        const std::vector<MovieRecord> records = MovieRecords(b);
        const MovieRecord *r = nullptr;
        switch (rng.Below(8)) {
        case 0:
            FlipBits(b, rng);
            *what += "bits ";
            break;
        case 1:
            Truncate(b, rng);
            *what += "cut ";
            break;
        case 2:
        case 3:
            if ((r = Pick(records, rng.Below(2) == 0, rng))) {
                PutU16(b, r->at, kLengths[rng.Below(4)]);
                *what += r->chunk ? "chunk-length " : "opcode-length ";
            }
            break;
        case 4:
            if ((r = Pick(records, true, rng))) {
                const Bytes copy(b.begin() + r->at, b.begin() + r->at + r->length);
                b.insert(b.begin() + r->at + r->length, copy.begin(), copy.end());
                *what += "dup-chunk ";
            }
            break;
        case 5:
            if ((r = Pick(records, true, rng))) {
                b.erase(b.begin() + r->at, b.begin() + r->at + r->length);
                *what += "drop-chunk ";
            }
            break;
        case 6:
            if ((r = Pick(records, rng.Below(2) == 0, rng))) {
                static const uint8_t kChunkTypes[] = {0, 1, 3, 5};
                static const uint8_t kOpTypes[] = {3, 8, 0, 1};
                b[r->at + 2] = r->chunk ? kChunkTypes[rng.Below(4)] : kOpTypes[rng.Below(4)];
                *what += "type ";
            }
            break;
        default:
            Overwrite(b, rng);
            *what += "overwrite ";
            break;
        }
    }
    return b;
}

Bytes MutateSound(const Bytes &resource, Rng &rng, std::string *what)
{
    Bytes b = resource;
    what->clear();
    switch (rng.Below(4)) {
    case 0:
        FlipBits(b, rng);
        *what = "bits";
        break;
    case 1:
        Truncate(b, rng);
        *what = "cut";
        break;
    case 2:
        Overwrite(b, rng);
        *what = "overwrite";
        break;
    default:
        b.resize(rng.Below(4)); /* next to nothing */
        *what = "tiny";
        break;
    }
    return b;
}

std::string MutateDataString(const std::string &dataString, Rng &rng)
{
    static const char kPieces[] = ".-0789AaFfxZ \x7F";
    std::string s = dataString;
    for (uint32_t n = rng.Below(3); n > 0; --n) {
        const size_t at = s.empty() ? 0 : rng.Below(uint32_t(s.size()));
        const char piece = kPieces[rng.Below(sizeof kPieces - 1)];
        switch (rng.Below(3)) {
        case 0:
            if (!s.empty())
                s[at] = piece;
            break;
        case 1:
            s.insert(s.begin() + at, piece);
            break;
        default:
            if (!s.empty())
                s.erase(at, 1);
            break;
        }
    }
    if (rng.Below(16) == 0)
        s.append(200, 'F'); /* long hex runs */
    return s;
}
