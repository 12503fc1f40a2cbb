#pragma once
// Shared helpers for tests that look at bytes.

#include "puzzle/format.h"
#include "puzzle/record.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pdt::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline std::string hex(std::span<const std::uint8_t> b) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < b.size(); ++i) {
        if (i)
            out += ' ';
        out += digits[b[i] >> 4];
        out += digits[b[i] & 15];
    }
    return out;
}

inline std::string hex(std::string_view s) {
    return hex(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
}

// A picture stand-in: n bytes of a recognisable pattern.
inline Bytes pictureBytes(size_t n, std::uint8_t seed = 1) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = std::uint8_t(seed + i * 7);
    return b;
}

struct PatternSpec {
    puzzle::PatternRecord record;
    Bytes puzzle;
    Bytes finished;
};

// A puzzle data file laid out the way the editor lays it out: header, then each record
// with its running offsets, then its pictures.
inline Bytes buildFile(std::vector<PatternSpec> patterns, std::string_view password = {},
                       std::uint8_t vendorFlag = 0) {
    const auto header = puzzle::EncodeHeader(int(patterns.size()), password);
    Bytes out(header.begin(), header.end());
    for (auto& p : patterns) {
        auto r = p.record;
        const auto at = std::int32_t(out.size());
        r.recordSize = 1154;
        r.vendorInfo = vendorFlag;
        r.recordOffset = at;
        r.puzzleImageSize = std::int32_t(p.puzzle.size());
        r.finishedImageSize = std::int32_t(p.finished.size());
        r.puzzleImageOffset = at + 1154;
        r.finishedImageOffset = at + 1154 + r.puzzleImageSize;
        const auto rec = puzzle::EncodeRecord(r);
        out.insert(out.end(), rec.begin(), rec.end());
        out.insert(out.end(), p.puzzle.begin(), p.puzzle.end());
        out.insert(out.end(), p.finished.begin(), p.finished.end());
    }
    return out;
}

// A pattern for buildFile with pictures of these sizes and that piece count.
inline PatternSpec patternWith(size_t puzzle, size_t finished, std::int16_t pieces = 0) {
    PatternSpec p{{}, pictureBytes(puzzle, 3), pictureBytes(finished, 5)};
    p.record.pieceCount = pieces;
    return p;
}

// The first n bytes of a file, as a cut-off copy leaves them.
inline Bytes firstBytes(Bytes b, size_t n) {
    b.resize(n);
    return b;
}

// Reads an int32 field of the record at recordPos in a file, undoing the inversion.
inline std::int32_t storedField(const Bytes& file, size_t recordPos, size_t fieldOffset) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v |= std::uint32_t(std::uint8_t(~file.at(recordPos + fieldOffset + i))) << (8 * i);
    return std::int32_t(v);
}

// Rewrites an int32 field of the record at recordPos, keeping the inversion.
inline Bytes withStoredField(Bytes file, size_t recordPos, size_t fieldOffset, std::int32_t v) {
    for (size_t i = 0; i < 4; ++i)
        file.at(recordPos + fieldOffset + i) = std::uint8_t(~(std::uint32_t(v) >> (8 * i)));
    return file;
}

} // namespace pdt::test
