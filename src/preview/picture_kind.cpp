#include "preview/picture_kind.h"

#include "preview/jpeg_layout.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <span>

namespace pdt::preview {

namespace {

// What a format reader needs to recognise its own files.
constexpr std::int64_t kSniffBytes = 4096;

UnreadableReason jpegReason(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    const JpegLayout layout = readJpegLayout([&](std::int64_t at, std::span<std::uint8_t> out) {
        return at >= 0 && std::int64_t(out.size()) <= size - at &&
               source.readAt(std::uint64_t(offset + at), out);
    });
    const int f = layout.frame;
    if (f == 0xC3 || f == 0xC7 || f == 0xCB || f == 0xCF)
        return {UnreadableKind::JpegLossless};
    if (f == 0xC5 || f == 0xC6 || f == 0xCD || f == 0xCE)
        return {UnreadableKind::JpegHierarchical};
    if (f != 0 && layout.precision != 8)
        return {UnreadableKind::JpegPrecision, layout.precision};
    return {};
}

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

UnreadableReason bmpReason(std::span<const std::uint8_t> h) {
    if (h.size() < 18)
        return {};
    const std::uint32_t headerSize = le32(&h[14]);
    // The header versions Qt's reader knows: OS/2 1.x, Windows 3 to 5, OS/2 2.x.
    constexpr std::array<std::uint32_t, 5> kKnown = {12, 40, 64, 108, 124};
    if (std::find(kKnown.begin(), kKnown.end(), headerSize) == kKnown.end())
        return {UnreadableKind::BmpHeaderVersion,
                int(std::min<std::uint32_t>(headerSize, 1 << 30))};
    if (headerSize >= 40 && h.size() >= 34) {
        const std::uint32_t compression = le32(&h[30]);
        if (compression == 4)
            return {UnreadableKind::BmpWithJpeg};
        if (compression == 5)
            return {UnreadableKind::BmpWithPng};
    }
    return {};
}

UnreadableReason otherFormat(const QByteArray& head) {
    QBuffer buffer;
    buffer.setData(head);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray qtFormat = QImageReader::imageFormat(&buffer);
    for (const OtherFormat& f : convertibleFormats())
        if (qtFormat == f.qtFormat.c_str())
            return {UnreadableKind::OtherFormat, 0, f.name};
    return {};
}

} // namespace

const std::vector<OtherFormat>& convertibleFormats() {
    static const std::vector<OtherFormat> formats = [] {
        const OtherFormat candidates[] = {{"PNG", "png", {"*.png"}},
                                          {"WebP", "webp", {"*.webp"}},
                                          {"TIFF", "tiff", {"*.tif", "*.tiff"}}};
        const QList<QByteArray> installed = QImageReader::supportedImageFormats();
        std::vector<OtherFormat> found;
        for (const OtherFormat& f : candidates)
            if (installed.contains(QByteArray::fromStdString(f.qtFormat)))
                found.push_back(f);
        return found;
    }();
    return formats;
}

UnreadableReason unreadableReason(puzzle::ByteSource& source, std::int64_t offset,
                                  std::int64_t size) {
    QByteArray head(int(std::clamp<std::int64_t>(size, 0, kSniffBytes)), '\0');
    if (head.isEmpty() || offset < 0 ||
        !source.readAt(std::uint64_t(offset),
                       std::span(reinterpret_cast<std::uint8_t*>(head.data()), head.size())))
        return {};
    const auto* b = reinterpret_cast<const std::uint8_t*>(head.constData());
    if (head.startsWith("\xFF\xD8"))
        return jpegReason(source, offset, size);
    if (head.startsWith("BM"))
        return bmpReason(std::span(b, size_t(head.size())));
    if (head.startsWith("GIF8") && head.size() >= 10 &&
        ((b[6] | b[7] << 8) == 0 || (b[8] | b[9] << 8) == 0))
        return {UnreadableKind::GifZeroSide};
    return otherFormat(head);
}

std::string describeUnreadable(const UnreadableReason& reason) {
    const std::string notRead = ", which the decoder does not read";
    switch (reason.kind) {
    case UnreadableKind::None:
        return {};
    case UnreadableKind::JpegPrecision:
        return "a " + std::to_string(reason.detail) + "-bit JPEG" + notRead;
    case UnreadableKind::JpegLossless:
        return "a lossless JPEG" + notRead;
    case UnreadableKind::JpegHierarchical:
        return "a hierarchical JPEG" + notRead;
    case UnreadableKind::BmpWithJpeg:
        return "a BMP holding JPEG data" + notRead;
    case UnreadableKind::BmpWithPng:
        return "a BMP holding PNG data" + notRead;
    case UnreadableKind::BmpHeaderVersion:
        return "a BMP with a " + std::to_string(reason.detail) + "-byte header" + notRead;
    case UnreadableKind::GifZeroSide:
        return "a GIF with a side of 0 pixels";
    case UnreadableKind::OtherFormat:
        return "a " + reason.format + " picture, which the player does not read";
    }
    return {};
}

} // namespace pdt::preview
