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

} // namespace

WalkResult WalkRecords(ByteSource& source) {
    WalkResult w;
    const std::uint64_t len = source.size();
    w.fileLength = len;

    HeaderBytes header;
    if (len < kHeaderSize) {
        w.damage = Damage::TruncatedHeader;
        return w;
    }
    if (!source.readAt(0, header)) {
        w.damage = Damage::ReadError;
        return w;
    }
    w.header = DecodeHeader(header);
    if (!w.header.isPuzzleDataFile) {
        w.damage = Damage::NotPuzzleData;
        return w;
    }

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
        const std::uint64_t end = p + kRecordSize + std::uint64_t(r.puzzleImageSize) +
                                  std::uint64_t(r.finishedImageSize);
        if (end > len) {
            w.damage = Damage::PicturesPastEnd;
            return w;
        }
        const bool last = IsLastRecord(r, len);
        w.records.push_back(std::move(r));
        if (last || end == len) {
            // The stored offset may call a record the last one while bytes remain.
            if (end < len) {
                w.damage = Damage::TrailingBytes;
                w.damageOffset = end;
                return w;
            }
            w.damageOffset = 0;
            w.damagePattern = 0;
            return w;
        }
        p = end;
    }
}

std::string DescribeDamage(const WalkResult& w) {
    const std::string n = std::to_string(w.damagePattern);
    const std::string at = std::to_string(w.damageOffset);
    switch (w.damage) {
    case Damage::None:
        return {};
    case Damage::NotPuzzleData:
        return "このファイルは連結されたファイルではありません。";
    case Damage::TruncatedHeader:
        return "ファイルが短すぎます（ヘッダが途中で切れています）。";
    case Damage::TruncatedRecord:
        return "ﾊﾟﾀｰﾝ" + n + " のデータが途中で切れています（" + at + " バイト目）。";
    case Damage::PicturesPastEnd:
        return "ﾊﾟﾀｰﾝ" + n + " の画像がファイルの終わりを越えています。";
    case Damage::TrailingBytes:
        return "最後の画像の後に余分なデータがあります（" + at + " バイト目から）。";
    case Damage::TooManyRecords:
        return "ﾊﾟﾀｰﾝが 200 を超えています。";
    case Damage::ReadError:
        return "ファイルを読み込めません。";
    }
    return {};
}

std::string DescribeDamageEnglish(const WalkResult& w) {
    const std::string n = std::to_string(w.damagePattern);
    const std::string at = std::to_string(w.damageOffset);
    switch (w.damage) {
    case Damage::None:
        return {};
    case Damage::NotPuzzleData:
        return "not a puzzle data file (no \"ADX\" magic)";
    case Damage::TruncatedHeader:
        return "file is shorter than the 20-byte header";
    case Damage::TruncatedRecord:
        return "record of pattern " + n + " is cut off by the end of the file at offset " + at;
    case Damage::PicturesPastEnd:
        return "pictures of pattern " + n + " run past the end of the file (record at offset " + at + ")";
    case Damage::TrailingBytes:
        return "unexpected bytes after the last picture, from offset " + at;
    case Damage::TooManyRecords:
        return "more than 200 records";
    case Damage::ReadError:
        return "read error at offset " + at;
    }
    return {};
}

} // namespace pdt::puzzle
