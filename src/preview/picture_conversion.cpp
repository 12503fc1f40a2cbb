#include "preview/picture_conversion.h"

#include "preview/exif_orientation.h"
#include "preview/picture_decoder.h"
#include "puzzle/byte_source.h"
#include "puzzle/file_system.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>

#include <climits>
#include <optional>
#include <span>

#ifdef PDT_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace pdt::preview {

namespace {

constexpr int kQuality = 90;
// The density written into the JPEG. Qt would write the screen's, and the bytes would then
// depend on the display the editor happens to run on.
constexpr int kDotsPerMeter = 3780; // 96 dots an inch
// What converting takes a pixel at its peak: the picture as read (16-bit samples: 8 bytes),
// in 32-bit colour, and composited.
constexpr std::uint64_t kPeakBytesPerPixel = 16;

Conversion failed(std::string why) {
    return {false, std::move(why)};
}

std::optional<QByteArray> readWhole(const std::string& path) {
    const auto file = puzzle::FileByteSource::open(path);
    if (!file || file->size() > std::uint64_t(INT_MAX))
        return std::nullopt;
    QByteArray bytes(qsizetype(file->size()), Qt::Uninitialized);
    if (!file->readAt(
            0, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), size_t(bytes.size()))))
        return std::nullopt;
    return bytes;
}

// Writes a new file; nothing stays behind when it fails.
bool writeNew(const std::string& target, const QByteArray& bytes) {
    puzzle::FileSystem& fs = puzzle::NativeFileSystem();
    const auto file = fs.create(target, puzzle::CreateMode::Exclusive);
    if (!file.ok())
        return false;
    const auto written =
        fs.write(file.value, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       size_t(bytes.size())));
    bool ok = written.ok() && written.value == size_t(bytes.size());
    ok = fs.close(file.value).ok() && ok;
    if (!ok)
        (void)fs.remove(target);
    return ok;
}

// Every pixel over white, in integer arithmetic: the painter's blending differs between
// processors' vector units, and the same picture must give the same bytes everywhere.
QImage onWhite(const QImage& argb) {
    QImage out(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(in[x]);
            const auto blend = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(blend(qRed(in[x])), blend(qGreen(in[x])), blend(qBlue(in[x])));
        }
    }
    out.setDotsPerMeterX(kDotsPerMeter);
    out.setDotsPerMeterY(kDotsPerMeter);
    return out;
}

// Baseline, quality 90, without a colour profile (the pixels are sRGB) or any text.
std::optional<QByteArray> baselineJpeg(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kQuality);
    writer.setProgressiveScanWrite(false);
    writer.setOptimizedWrite(false);
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

std::optional<QImage> readForConversion(const QByteArray& bytes, std::string& why) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const std::uint64_t pixels = size.isValid() ? std::uint64_t(size.width()) * size.height() : 0;
    if (pixels > kMaxDecodePixels || pixels * kPeakBytesPerPixel > kDecodeBudgetBytes) {
        why = "too large to convert";
        return std::nullopt;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        why = "cannot be decoded";
        return std::nullopt;
    }
    return image;
}

JpegPeek peekInto(const QByteArray& bytes) {
    return [&bytes](std::int64_t at, std::span<std::uint8_t> out) {
        if (at < 0 || at + std::int64_t(out.size()) > bytes.size())
            return false;
        std::copy_n(bytes.constData() + at, out.size(), reinterpret_cast<char*>(out.data()));
        return true;
    };
}

// Sets an orientation tag found in the bytes to "normal".
void resetOrientation(QByteArray& jpeg) {
    const ExifOrientation o = readExifOrientation(peekInto(jpeg));
    if (o.at >= 0) {
        jpeg[qsizetype(o.at)] = char(o.bigEndian ? 0 : 1);
        jpeg[qsizetype(o.at + 1)] = char(o.bigEndian ? 1 : 0);
    }
}

// What the lossless transform keeps a pixel at most: every DCT coefficient of three full
// components, 2 bytes each.
constexpr std::uint64_t kTransformBytesPerPixel = 6;

#ifdef PDT_HAVE_TURBOJPEG
// The turn as moved blocks of coefficients; nothing where a partial block at the right or
// bottom edge would have to move, or the picture is too large.
std::optional<QByteArray> turnedWithoutLoss(const QByteArray& jpeg, int orientation) {
    // Each orientation value's turn: 2 mirrors, 3 turns 180 degrees, 6 turns 90 clockwise...
    static constexpr int kTurns[9] = {TJXOP_NONE,   TJXOP_NONE,       TJXOP_HFLIP,
                                      TJXOP_ROT180, TJXOP_VFLIP,      TJXOP_TRANSPOSE,
                                      TJXOP_ROT90,  TJXOP_TRANSVERSE, TJXOP_ROT270};
    const JpegLayout layout = readJpegLayout(peekInto(jpeg));
    if (std::uint64_t(layout.width) * std::uint64_t(layout.height) * kTransformBytesPerPixel >
        kDecodeBudgetBytes)
        return std::nullopt;
    tjhandle handle = tjInitTransform();
    if (!handle)
        return std::nullopt;
    tjtransform turn{};
    turn.op = kTurns[orientation];
    turn.options = TJXOPT_PERFECT;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int failed =
        tjTransform(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                    static_cast<unsigned long>(jpeg.size()), 1, &out, &outSize, &turn, 0);
    std::optional<QByteArray> turned;
    if (failed == 0 && out)
        turned = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    tjFree(out);
    tjDestroy(handle);
    return turned;
}
#else
std::optional<QByteArray> turnedWithoutLoss(const QByteArray&, int) {
    return std::nullopt;
}
#endif

} // namespace

Conversion storeUpright(const std::string& source, const std::string& target) {
    const std::optional<QByteArray> bytes = readWhole(source);
    if (!bytes)
        return failed("cannot be read");
    const int orientation = readExifOrientation(peekInto(*bytes)).value;
    if (orientation != 1)
        if (std::optional<QByteArray> turned = turnedWithoutLoss(*bytes, orientation)) {
            resetOrientation(*turned);
            return writeNew(target, *turned) ? Conversion{true, {}}
                                             : failed("cannot be written to " + target);
        }
    return convertToJpeg(source, target);
}

Conversion convertToJpeg(const std::string& source, const std::string& target) {
    applyDecodeBudget();
    const std::optional<QByteArray> bytes = readWhole(source);
    if (!bytes)
        return failed("cannot be read");
    std::string why;
    std::optional<QImage> image = readForConversion(*bytes, why);
    if (!image)
        return failed(why);
    image->convertTo(QImage::Format_ARGB32);
    if (image->colorSpace().isValid() && image->colorSpace() != QColorSpace(QColorSpace::SRgb))
        image->convertToColorSpace(QColorSpace(QColorSpace::SRgb));
    const std::optional<QByteArray> jpeg = baselineJpeg(onWhite(*image));
    if (!jpeg)
        return failed("cannot be encoded as a JPEG");
    if (!writeNew(target, *jpeg))
        return failed("cannot be written to " + target);
    return {true, {}};
}

} // namespace pdt::preview
