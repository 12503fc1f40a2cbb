#include "preview/picture_decoder.h"

#include <QIODevice>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <span>
#include <vector>

namespace pdt::preview {

namespace {

// Above Qt's default of 128 MB, which a 6000 x 6000 picture decoded in full already
// exceeds; still low enough that a hostile header cannot make us allocate gigabytes.
constexpr int kAllocationLimitMb = 1024;

// The raster kinds pictures have always been previewed in. Anything else Qt happens to
// read (PNG, ...) is no picture here, so the preview promises nothing the set cannot keep.
bool isKnownKind(const QByteArray& format) {
    return format == "bmp" || format == "jpeg" || format == "gif" || format == "ico";
}

std::atomic<std::uint64_t> decodeCount{0};

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

// Sets the reader up on the device; false when the bytes are no picture of a known kind.
bool openReader(QImageReader& reader, QIODevice& device) {
    if (!device.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    reader.setDevice(&device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    return isKnownKind(reader.format());
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
    if (!openReader(reader, device))
        return {0, 0};
    const QSize stored = reader.size();
    return stored.isEmpty() ? QSize(0, 0) : stored;
}

} // namespace

DecodedPicture decodePictureRange(puzzle::ByteSource& source, std::int64_t offset,
                                  std::int64_t size, const WantedSize& wanted, Sampling sampling) {
    if (!rangeInside(source, offset, size))
        return {};
    RangeDevice device(source, offset, size);
    QImageReader reader;
    if (!openReader(reader, device))
        return {};
    const auto mode =
        sampling == Sampling::Smooth ? Qt::SmoothTransformation : Qt::FastTransformation;

    // Only a reader that decodes at reduced scale needs the size before the pixels. For the
    // others, asking costs a pass of its own (a GIF is scanned for all its frames).
    QSize stored;
    if (reader.supportsOption(QImageIOHandler::ScaledSize)) {
        stored = reader.size();
        if (stored.isEmpty())
            return {};
        const QSize target = wantedSize(wanted, stored);
        if (target != stored) {
            reader.setScaledSize(target);
            // The JPEG reader takes quality as its choice between the accurate DCT with
            // smooth resampling and the fast DCT with nearest-neighbour resampling.
            reader.setQuality(sampling == Sampling::Smooth ? 75 : 0);
        }
    }

    ++decodeCount;
    QImage pixels;
    if (!reader.read(&pixels) || device.failed() || pixels.isNull())
        return {};
    if (!stored.isValid())
        stored = pixels.size();
    const QSize target = wantedSize(wanted, stored);
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
            return {};
    }
    return {stored.width(), stored.height(), std::move(pixels)};
}

DecodedPicture decodePictureRange(const std::string& puzzleDataFile, std::int64_t offset,
                                  std::int64_t size, const WantedSize& wanted, Sampling sampling) {
    const auto file = puzzle::FileByteSource::open(puzzleDataFile);
    if (!file)
        return {};
    return decodePictureRange(*file, offset, size, wanted, sampling);
}

DecodedPicture decodePictureFile(const std::string& path, const WantedSize& wanted,
                                 Sampling sampling) {
    const auto file = puzzle::FileByteSource::open(path);
    if (!file)
        return {};
    return decodePictureRange(*file, 0, std::int64_t(file->size()), wanted, sampling);
}

DecodedPicture decodePicture(const puzzle::ImageSource& source, const WantedSize& wanted,
                             Sampling sampling) {
    switch (source.kind) {
    case puzzle::ImageSource::Kind::CurrentFileRange:
        return decodePictureRange(source.file, source.offset, source.size, wanted, sampling);
    case puzzle::ImageSource::Kind::WholeFile:
        return decodePictureFile(source.file, wanted, sampling);
    case puzzle::ImageSource::Kind::Empty:
        break;
    }
    return {};
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

std::uint64_t pictureDecodeCount() {
    return decodeCount.load();
}

} // namespace pdt::preview
