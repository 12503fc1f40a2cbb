#include "preview/made_up_pixels.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

namespace pdt::preview {

namespace {

std::optional<DecoderWarning> indexPastPalette(const QImage& image) {
    const int colours = image.colorCount();
    if (image.format() == QImage::Format_Indexed8) {
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            if (std::any_of(line, line + image.width(), [&](uchar i) { return i >= colours; }))
                return DecoderWarning::PaletteIndexOutOfRange;
        }
        return std::nullopt;
    }
    if (colours >= 2)
        return std::nullopt; // a one-bit picture with both colours: every index is in range
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelIndex(x, y) >= colours)
                return DecoderWarning::PaletteIndexOutOfRange;
    return std::nullopt;
}

// Qt's GIF reader starts from a picture of zeros and writes every pixel it decodes as an
// opaque colour, except an index past the palette, which it writes as transparent white.
std::optional<DecoderWarning> gifPixelsNotWritten(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return line[x] == 0 ? DecoderWarning::MissingRows
                                    : DecoderWarning::PaletteIndexOutOfRange;
    }
    return std::nullopt;
}

std::uint32_t le(std::span<const std::uint8_t> b, size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | b[at + size_t(i)];
    return v;
}

struct BmpLayout {
    std::int64_t dataAt = 0;
    std::int64_t width = 0, height = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
};

constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

std::optional<BmpLayout> bmpLayout(puzzle::ByteSource& source, std::int64_t offset,
                                   std::int64_t size) {
    std::uint8_t h[54] = {};
    if (size < 26 || !source.readAt(std::uint64_t(offset), std::span(h, size < 54 ? 26 : 54)) ||
        h[0] != 'B' || h[1] != 'M')
        return std::nullopt;
    BmpLayout l;
    l.dataAt = le(h, 10, 4);
    const std::uint32_t headerSize = le(h, 14, 4);
    if (headerSize == 12) {
        l.width = le(h, 18, 2);
        l.height = le(h, 20, 2);
        l.bitsPerPixel = int(le(h, 24, 2));
    } else if (headerSize >= 40 && size >= 54) {
        l.width = std::int32_t(le(h, 18, 4));
        l.height = std::abs(std::int64_t(std::int32_t(le(h, 22, 4))));
        l.bitsPerPixel = int(le(h, 28, 2));
        l.compression = le(h, 30, 4);
    } else {
        return std::nullopt;
    }
    return l;
}

// Walks run-length coded rows and counts the pixels they set.
std::int64_t pixelsSetByRuns(std::span<const std::uint8_t> d, const BmpLayout& l) {
    std::int64_t x = 0, y = 0, set = 0;
    const auto paint = [&](std::int64_t n) {
        if (y < l.height && x < l.width)
            set += std::min(n, l.width - x);
        x += n;
    };
    for (size_t i = 0; i + 1 < d.size();) {
        const int count = d[i], code = d[i + 1];
        i += 2;
        if (count > 0) {
            paint(count);
        } else if (code == 0) { // end of the row
            x = 0;
            ++y;
        } else if (code == 1) { // end of the picture
            break;
        } else if (code == 2) { // a jump, over pixels it leaves unset
            if (i + 1 >= d.size())
                break;
            x += d[i];
            y += d[i + 1];
            i += 2;
        } else { // `code` pixels stored as they are, padded to a whole 16-bit word
            paint(code);
            const size_t bytes = l.compression == kRle8 ? size_t(code) : size_t(code + 1) / 2;
            i += bytes + (bytes & 1);
        }
    }
    return set;
}

} // namespace

std::optional<DecoderWarning> madeUpInPixels(const std::string& format, const QImage& asRead) {
    if (asRead.format() == QImage::Format_Indexed8 || asRead.format() == QImage::Format_Mono ||
        asRead.format() == QImage::Format_MonoLSB)
        return indexPastPalette(asRead);
    if (format == "gif" && asRead.format() == QImage::Format_RGB32)
        return gifPixelsNotWritten(asRead);
    return std::nullopt;
}

std::optional<DecoderWarning> madeUpInBmpData(puzzle::ByteSource& source, std::int64_t offset,
                                              std::int64_t size) {
    const std::optional<BmpLayout> l = bmpLayout(source, offset, size);
    if (!l || l->width <= 0 || l->height <= 0 || l->dataAt >= size)
        return std::nullopt;
    if (l->compression == kRle8 || l->compression == kRle4) {
        std::vector<std::uint8_t> data(size_t(size - l->dataAt));
        if (!source.readAt(std::uint64_t(offset + l->dataAt), data) ||
            pixelsSetByRuns(data, *l) < l->width * l->height)
            return DecoderWarning::MissingRows;
        return std::nullopt;
    }
    // Divided rather than multiplied: a hostile header's sides would overflow the product.
    const std::int64_t stride = (l->width * l->bitsPerPixel + 31) / 32 * 4;
    if (stride > 0 && (size - l->dataAt) / stride < l->height)
        return DecoderWarning::MissingRows;
    return std::nullopt;
}

} // namespace pdt::preview
