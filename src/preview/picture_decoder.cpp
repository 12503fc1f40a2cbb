#include "preview/picture_decoder.h"

#include "preview/jpeg_layout.h"
#include "preview/made_up_pixels.h"
#include "puzzle/file_system.h"

#include <QIODevice>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <mutex>
#include <span>
#include <vector>

namespace pdt::preview {

namespace {

// Qt's own limit on the pictures its readers allocate, a second line behind the budget
// for what the header does not tell (an icon's embedded picture).
constexpr int kAllocationLimitMb = int(kDecodeBudgetBytes >> 20);
// Decoded pixels are 32 bits whatever the stored depth.
constexpr std::uint64_t kBytesPerPixel = 4;

// The raster kinds pictures have always been previewed in. Anything else Qt happens to
// read (PNG, ...) is no picture here, so the preview promises nothing the set cannot keep.
bool isKnownKind(const QByteArray& format) {
    return format == "bmp" || format == "jpeg" || format == "gif" || format == "ico";
}

std::atomic<std::uint64_t> decodeCount{0};

DecodedPicture failure(PictureProblem problem) {
    DecodedPicture d;
    d.problem = problem;
    return d;
}

// One byte range of a source as a random-access device. A read that the source cannot
// serve in full marks the device failed, so a file that shrank under us is no picture
// instead of a picture padded with whatever the decoder invents. Decoders ask for a few
// kilobytes at a time, so small reads are served from a read-ahead block.
class RangeDevice final : public QIODevice {
  public:
    RangeDevice(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size)
        : source_(source), offset_(offset), size_(size) {}

    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }
    bool failed() const { return failed_; }

    // size bytes at `at` of the range, outside the device's position; false when they
    // are not there.
    bool peek(qint64 at, std::span<std::uint8_t> out) {
        return at >= 0 && qint64(out.size()) <= size_ - at && fetch(at, out);
    }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 at = pos();
        const qint64 n = std::min(maxSize, size_ - at);
        if (n <= 0)
            return 0;
        auto* out = reinterpret_cast<std::uint8_t*>(data);
        if (n >= kReadAhead)
            return fetch(at, std::span(out, size_t(n))) ? n : -1;
        if (at < blockStart_ || at + n > blockStart_ + qint64(block_.size())) {
            block_.resize(size_t(std::min(kReadAhead, size_ - at)));
            blockStart_ = at;
            if (!fetch(at, block_)) {
                block_.clear();
                return -1;
            }
        }
        std::copy_n(block_.begin() + (at - blockStart_), n, out);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    static constexpr qint64 kReadAhead = 64 * 1024;

    bool fetch(qint64 at, std::span<std::uint8_t> out) {
        if (!source_.readAt(std::uint64_t(offset_ + at), out))
            failed_ = true;
        return !failed_;
    }

    puzzle::ByteSource& source_;
    std::int64_t offset_;
    std::int64_t size_;
    std::vector<std::uint8_t> block_;
    qint64 blockStart_ = 0;
    bool failed_ = false;
};

bool rangeInside(const puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    if (offset < 0 || size <= 0)
        return false;
    const std::uint64_t total = source.size();
    return std::uint64_t(offset) < total && std::uint64_t(size) <= total - std::uint64_t(offset);
}

// Sets the reader up on the device.
PictureProblem openReader(QImageReader& reader, RangeDevice& device) {
    applyDecodeBudget();
    if (!device.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return PictureProblem::Unreadable;
    reader.setDevice(&device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const bool known = isKnownKind(reader.format());
    if (device.failed())
        return PictureProblem::Unreadable;
    return known ? PictureProblem::None : PictureProblem::UnknownKind;
}

// Every DCT coefficient of the picture, 2 bytes each, each component padded to whole
// blocks of its sampling.
std::uint64_t allCoefficientBytes(const JpegLayout& layout) {
    int hMax = 1, vMax = 1;
    for (const JpegLayout::Component& c : layout.components) {
        hMax = std::max(hMax, c.h);
        vMax = std::max(vMax, c.v);
    }
    const auto blocks = [](std::uint64_t pixels, int sampling, int maxSampling) {
        const std::uint64_t n =
            (pixels * std::uint64_t(sampling) + 8 * std::uint64_t(maxSampling) - 1) /
            (8 * std::uint64_t(maxSampling));
        return (n + std::uint64_t(sampling) - 1) / std::uint64_t(sampling) *
               std::uint64_t(sampling);
    };
    std::uint64_t total = 0;
    for (const JpegLayout::Component& c : layout.components)
        total += blocks(std::uint64_t(layout.width), c.h, hMax) *
                 blocks(std::uint64_t(layout.height), c.v, vMax) * 64 * 2;
    return total;
}

// The memory libjpeg takes beyond its output: a picture that comes in more than one scan
// (progressive, or sequential with a first scan that holds only some of the components)
// has every DCT coefficient of the whole picture kept, 2 bytes each. Found from the
// segments before the first scan; where they cannot be followed, the worst is assumed.
std::uint64_t jpegCoefficientBytes(RangeDevice& device, QSize stored) {
    const std::uint64_t worst = std::uint64_t(stored.width()) * std::uint64_t(stored.height()) * 8;
    const JpegLayout layout = readJpegLayout(
        [&device](std::int64_t at, std::span<std::uint8_t> out) { return device.peek(at, out); });
    if (layout.frame == 0 || layout.components.empty())
        return worst;
    const bool sequential = layout.frame == 0xC0 || layout.frame == 0xC1 || layout.frame == 0xC9;
    if (sequential && layout.scanComponents >= int(layout.components.size()))
        return 0;
    return allCoefficientBytes(layout);
}

std::uint64_t pixelsOf(QSize s) {
    return std::uint64_t(std::max(s.width(), 0)) * std::uint64_t(std::max(s.height(), 0));
}

// What the picture's header says before any pixel is decoded.
struct Header {
    QSize stored;
    bool scalable = false;          // decodes at reduced scale (JPEG)
    std::uint64_t decoderBytes = 0; // what the decoder keeps besides its output
};

Header readHeader(QImageReader& reader, RangeDevice& device) {
    Header h;
    const QByteArray format = reader.format();
    if (format == "gif") {
        // The logical screen, which the reader decodes every frame onto. Asking the reader
        // would scan the whole file for its frames.
        std::uint8_t b[4];
        if (device.peek(6, b))
            h.stored = QSize(b[0] | b[1] << 8, b[2] | b[3] << 8);
        return h;
    }
    h.stored = reader.size();
    if (format == "bmp" && h.stored.height() < 0 && h.stored.height() > INT_MIN)
        h.stored.setHeight(-h.stored.height()); // rows stored top-down
    h.scalable = reader.supportsOption(QImageIOHandler::ScaledSize);
    if (format == "jpeg" && !h.stored.isEmpty())
        h.decoderBytes = jpegCoefficientBytes(device, h.stored);
    return h;
}

// What Qt's JPEG reader decodes to before it scales to the size asked for: libjpeg
// scales by M/8, and the reader takes the smallest M that still gives at least that size.
QSize jpegDecodedSize(QSize stored, QSize target) {
    if (target == stored || target.isEmpty())
        return stored;
    const double f = std::min(double(stored.width()) / target.width(),
                              double(stored.height()) / target.height());
    const int m = std::clamp(int(std::ceil(8 / f)), 1, 8);
    return {int((std::int64_t(stored.width()) * m + 7) / 8),
            int((std::int64_t(stored.height()) * m + 7) / 8)};
}

// Memory the decode and the scaling to target take at their peak.
std::uint64_t decodeBytes(const Header& h, QSize target) {
    const QSize decoded = h.scalable ? jpegDecodedSize(h.stored, target) : h.stored;
    std::uint64_t bytes = h.decoderBytes + pixelsOf(decoded) * kBytesPerPixel;
    if (target != decoded)
        bytes += (pixelsOf(target) + (h.scalable ? 0 : pixelsOf(target * 2))) * kBytesPerPixel;
    return bytes;
}

QSize wantedSize(const WantedSize& wanted, QSize stored) {
    const QSize target = wanted ? wanted(stored) : stored;
    return target.isEmpty() ? stored : target;
}

QSize sizeOfRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    if (!rangeInside(source, offset, size))
        return {0, 0};
    RangeDevice device(source, offset, size);
    QImageReader reader;
    if (openReader(reader, device) != PictureProblem::None)
        return {0, 0};
    const QSize stored = readHeader(reader, device).stored;
    return stored.isEmpty() ? QSize(0, 0) : stored;
}

// Why a file that FileByteSource could not open gives no picture. Looking does not open
// it, so a FIFO cannot block here either.
PictureProblem whyNotOpened(const std::string& path) {
    const auto status = puzzle::NativeFileSystem().status(path);
    if (status.ok() && (status.value.kind == puzzle::FileStatus::Kind::Directory ||
                        status.value.kind == puzzle::FileStatus::Kind::Other))
        return PictureProblem::NotAFile;
    return PictureProblem::Unreadable;
}

} // namespace

void applyDecodeBudget() {
    static std::once_flag limitSet;
    std::call_once(limitSet, [] { QImageReader::setAllocationLimit(kAllocationLimitMb); });
}

DecodedPicture decodePictureRange(puzzle::ByteSource& source, std::int64_t offset,
                                  std::int64_t size, const WantedSize& wanted, Sampling sampling) {
    if (!rangeInside(source, offset, size))
        return failure(PictureProblem::Unreadable);
    RangeDevice device(source, offset, size);
    QImageReader reader;
    if (const PictureProblem p = openReader(reader, device); p != PictureProblem::None)
        return failure(p);
    const Header header = readHeader(reader, device);
    if (device.failed())
        return failure(PictureProblem::Unreadable);
    if (header.stored.isEmpty())
        return failure(PictureProblem::Damaged);
    QSize stored = header.stored;
    QSize target = wantedSize(wanted, stored);
    if (pixelsOf(stored) > kMaxDecodePixels || decodeBytes(header, target) > kDecodeBudgetBytes)
        return failure(PictureProblem::TooLarge);

    const auto mode =
        sampling == Sampling::Smooth ? Qt::SmoothTransformation : Qt::FastTransformation;
    if (header.scalable && target != stored) {
        reader.setScaledSize(target);
        // The JPEG reader takes quality as its choice between the accurate DCT with
        // smooth resampling and the fast DCT with nearest-neighbour resampling.
        reader.setQuality(sampling == Sampling::Smooth ? 75 : 0);
    }

    // Asked before the read: once it has read, a reader no longer tells its format.
    const std::string format = reader.format().toStdString();
    ++decodeCount;
    QImage pixels;
    const bool read = reader.read(&pixels);
    if (device.failed())
        return failure(PictureProblem::Unreadable);
    if (!read || pixels.isNull())
        return failure(PictureProblem::Damaged);
    const std::optional<DecoderWarning> madeUp = madeUpInPixels(format, pixels);
    if (!header.scalable && pixels.size() != stored) {
        stored = pixels.size();
        target = wantedSize(wanted, stored);
    }
    if (pixels.size() != target) {
        // A format that cannot decode at reduced scale arrives at full size, and smoothing
        // all of it would cost a tenth of the decode again: sample it down to twice the
        // target, then average 2 x 2, which costs no more than sampling alone.
        const QSize sampled = target * 2;
        if (mode == Qt::SmoothTransformation && pixels.width() > sampled.width() &&
            pixels.height() > sampled.height())
            pixels = pixels.scaled(sampled, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        pixels = pixels.scaled(target, Qt::IgnoreAspectRatio, mode);
        if (pixels.isNull())
            return failure(PictureProblem::TooLarge);
    }
    return {stored.width(),       stored.height(), std::move(pixels),
            PictureProblem::None, format,          madeUp};
}

DecodedPicture decodePictureRange(const std::string& puzzleDataFile, std::int64_t offset,
                                  std::int64_t size, const WantedSize& wanted, Sampling sampling) {
    const auto file = puzzle::FileByteSource::open(puzzleDataFile);
    if (!file)
        return failure(whyNotOpened(puzzleDataFile));
    return decodePictureRange(*file, offset, size, wanted, sampling);
}

DecodedPicture decodePictureFile(const std::string& path, const WantedSize& wanted,
                                 Sampling sampling) {
    const auto file = puzzle::FileByteSource::open(path);
    if (!file)
        return failure(whyNotOpened(path));
    return decodePictureRange(*file, 0, std::int64_t(file->size()), wanted, sampling);
}

QSize pictureSizeOfFile(const std::string& path) {
    const auto file = puzzle::FileByteSource::open(path);
    if (!file)
        return {0, 0};
    return sizeOfRange(*file, 0, std::int64_t(file->size()));
}

QSize pictureSizeOfRange(const std::string& puzzleDataFile, std::int64_t offset,
                         std::int64_t size) {
    const auto file = puzzle::FileByteSource::open(puzzleDataFile);
    if (!file)
        return {0, 0};
    return sizeOfRange(*file, offset, size);
}

QSize pictureSizeOfRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    return sizeOfRange(source, offset, size);
}

std::uint64_t pictureDecodeCount() {
    return decodeCount.load();
}

} // namespace pdt::preview
