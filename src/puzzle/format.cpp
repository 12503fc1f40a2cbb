#include "puzzle/format.h"

#include <algorithm>
#include <cstring>

namespace pdt::puzzle {

namespace {

void writeLe32(std::uint8_t* p, std::int32_t v) {
    const auto u = std::uint32_t(v);
    p[0] = std::uint8_t(u);
    p[1] = std::uint8_t(u >> 8);
    p[2] = std::uint8_t(u >> 16);
    p[3] = std::uint8_t(u >> 24);
}

void writeLe16(std::uint8_t* p, std::int16_t v) {
    const auto u = std::uint16_t(v);
    p[0] = std::uint8_t(u);
    p[1] = std::uint8_t(u >> 8);
}

std::int32_t readLe32(const std::uint8_t* p) {
    return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[3]) << 24);
}

std::int16_t readLe16(const std::uint8_t* p) {
    return std::int16_t(std::uint16_t(p[0] | p[1] << 8));
}

void writeText(std::uint8_t* p, const TextField& f) {
    std::memcpy(p, f.data(), f.size());
}
void readText(TextField& f, const std::uint8_t* p) {
    std::memcpy(f.data(), p, f.size());
}

} // namespace

void InvertBytes(std::span<std::uint8_t> bytes) {
    for (auto& b : bytes)
        b = std::uint8_t(~b);
}

HeaderBytes EncodeHeader(int patternCount, std::string_view password) {
    HeaderBytes h{};
    h[0] = 'A';
    h[1] = 'D';
    h[2] = 'X';
    h[kCountOffset] = std::uint8_t(patternCount);
    std::uint8_t* pw = h.data() + kPasswordOffset;
    std::fill_n(pw, kPasswordFieldSize, std::uint8_t(' '));
    std::copy_n(password.begin(), std::min(password.size(), kPasswordFieldSize), pw);
    InvertBytes({pw, kPasswordFieldSize});
    return h;
}

DecodedHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes) {
    DecodedHeader d;
    d.isPuzzleDataFile = bytes[0] == 'A' && bytes[1] == 'D' && bytes[2] == 'X';
    d.countByte = bytes[kCountOffset];
    std::array<std::uint8_t, kPasswordFieldSize> pw;
    std::copy_n(bytes.begin() + kPasswordOffset, kPasswordFieldSize, pw.begin());
    InvertBytes(pw);
    const auto end =
        std::find_if(pw.begin(), pw.end(), [](std::uint8_t b) { return b == ' ' || b == 0; });
    d.password.assign(pw.begin(), end);
    return d;
}

RecordBytes EncodeRecord(const PatternRecord& r) {
    RecordBytes b{};
    std::uint8_t* p = b.data();
    writeLe32(p + field::recordSize, r.recordSize);
    p[field::vendorInfo] = r.vendorInfo;
    writeText(p + field::puzzleImagePath, r.puzzleImagePath);
    writeText(p + field::finishedImagePath, r.finishedImagePath);
    writeLe32(p + field::recordOffset, r.recordOffset);
    writeLe32(p + field::puzzleImageOffset, r.puzzleImageOffset);
    writeLe32(p + field::finishedImageOffset, r.finishedImageOffset);
    writeLe32(p + field::puzzleImageSize, r.puzzleImageSize);
    writeLe32(p + field::finishedImageSize, r.finishedImageSize);
    writeLe16(p + field::pieceCount, r.pieceCount);
    writeLe16(p + field::auxWord, r.auxWord);
    p[field::rotation] = r.rotation;
    writeText(p + field::clearComment, r.clearComment);
    writeText(p + field::finishComment, r.finishComment);
    std::copy(r.reservedTail.begin(), r.reservedTail.end(), p + field::reservedTail);
    InvertBytes(b);
    return b;
}

PatternRecord DecodeRecord(std::span<const std::uint8_t, kRecordSize> bytes) {
    RecordBytes b;
    std::copy(bytes.begin(), bytes.end(), b.begin());
    InvertBytes(b);
    const std::uint8_t* p = b.data();
    PatternRecord r;
    r.recordSize = readLe32(p + field::recordSize);
    r.vendorInfo = p[field::vendorInfo];
    readText(r.puzzleImagePath, p + field::puzzleImagePath);
    readText(r.finishedImagePath, p + field::finishedImagePath);
    r.recordOffset = readLe32(p + field::recordOffset);
    r.puzzleImageOffset = readLe32(p + field::puzzleImageOffset);
    r.finishedImageOffset = readLe32(p + field::finishedImageOffset);
    r.puzzleImageSize = readLe32(p + field::puzzleImageSize);
    r.finishedImageSize = readLe32(p + field::finishedImageSize);
    r.pieceCount = readLe16(p + field::pieceCount);
    r.auxWord = readLe16(p + field::auxWord);
    r.rotation = p[field::rotation];
    readText(r.clearComment, p + field::clearComment);
    readText(r.finishComment, p + field::finishComment);
    std::copy_n(p + field::reservedTail, kReservedTailSize, r.reservedTail.begin());
    return r;
}

bool IsLastRecord(const PatternRecord& r, std::uint64_t fileLength) {
    const std::uint32_t end = std::uint32_t(r.recordOffset) + std::uint32_t(kRecordSize) +
                              std::uint32_t(r.puzzleImageSize) + std::uint32_t(r.finishedImageSize);
    return std::uint64_t(end) >= fileLength;
}

} // namespace pdt::puzzle
