#include "puzzle/record_walk.h"

#include "puzzle/document.h"

#include <algorithm>

namespace pdt::puzzle {

namespace {

// Every record starts with its size, 1154, inverted: 7D FB FF FF. A short tail that
// starts so is a record cut off; anything else is stray bytes after the last picture.
bool looksLikeRecordStart(ByteSource& source, std::uint64_t p, std::uint64_t len) {
    static constexpr std::uint8_t kMarker[4] = {0x7D, 0xFB, 0xFF, 0xFF};
    std::uint8_t head[4];
    const std::uint64_t n = std::min<std::uint64_t>(4, len - p);
    if (!source.readAt(p, {head, size_t(n)}))
        return true;
    return std::equal(head, head + n, kMarker);
}

// Reads the header; false, with the damage noted, when there is no puzzle data file header.
bool readHeader(ByteSource& source, WalkResult& w) {
    HeaderBytes header;
    if (w.fileLength < kHeaderSize) {
        w.damage = Damage::TruncatedHeader;
        return false;
    }
    if (!source.readAt(0, header)) {
        w.damage = Damage::ReadError;
        return false;
    }
    w.header = DecodeHeader(header);
    if (!w.header.isPuzzleDataFile) {
        w.damage = Damage::NotPuzzleData;
        return false;
    }
    return true;
}

// Ends the walk at its last record, whose pictures end at `end`.
void endAfterLastRecord(WalkResult& w, std::uint64_t end) {
    // The stored offset may call a record the last one while bytes remain.
    if (end < w.fileLength) {
        w.damage = Damage::TrailingBytes;
        w.damageOffset = end;
        return;
    }
    w.damageOffset = 0;
    w.damagePattern = 0;
}

} // namespace

WalkResult WalkRecords(ByteSource& source) {
    WalkResult w;
    const std::uint64_t len = source.size();
    w.fileLength = len;
    if (!readHeader(source, w))
        return w;

    // As many records as the file has room for, and never more than the table holds: no
    // reallocation during the walk, and nothing allocated beyond what the file can fill.
    w.records.reserve(
        size_t(std::min<std::uint64_t>(kMaxPatterns, (len - kHeaderSize) / kRecordSize)));
    std::uint64_t p = kHeaderSize;
    RecordBytes bytes;
    for (;;) {
        const int number = int(w.records.size()) + 1;
        w.damageOffset = p;
        w.damagePattern = number;
        if (w.records.size() == size_t(kMaxPatterns)) {
            w.damage = Damage::TooManyRecords;
            return w;
        }
        if (p + kRecordSize > len) {
            w.damage = w.records.empty() || looksLikeRecordStart(source, p, len)
                           ? Damage::TruncatedRecord
                           : Damage::TrailingBytes;
            return w;
        }
        if (!source.readAt(p, bytes)) {
            w.damage = Damage::ReadError;
            return w;
        }
        PatternRecord r = DecodeRecord(bytes);
        if (r.puzzleImageSize < 0 || r.finishedImageSize < 0) {
            w.damage = Damage::PicturesPastEnd;
            return w;
        }
        const std::uint64_t end =
            p + kRecordSize + std::uint64_t(r.puzzleImageSize) + std::uint64_t(r.finishedImageSize);
        if (end > len) {
            w.damage = Damage::PicturesPastEnd;
            return w;
        }
        const bool last = IsLastRecord(r, len);
        w.records.push_back(std::move(r));
        if (last || end == len) {
            endAfterLastRecord(w, end);
            return w;
        }
        p = end;
    }
}

// DescribeDamage and DescribeDamageEnglish live with the other texts, in messages.cpp.

} // namespace pdt::puzzle
