#include "preview/picture_check.h"

#include "preview/exif_orientation.h"
#include "preview/jpeg_scan.h"
#include "preview/made_up_pixels.h"

#include <QtGlobal>

#include <mutex>
#include <vector>

namespace pdt::preview {

namespace {

// Large enough to run the whole decoder, small enough that a JPEG decodes at 1/8 scale.
QSize reduced(QSize stored) {
    constexpr int kSide = 256;
    if (stored.width() <= kSide && stored.height() <= kSide)
        return stored;
    return stored.scaled(kSide, kSide, Qt::KeepAspectRatio);
}

// Qt's image readers report damage they work around as log messages, on the thread that
// decodes. One handler, installed once, hands each message to the check running on that
// thread, or else to the handler that was there before.
constexpr size_t kMaxMessages = 64; // a decoder that complains at every row says no more
thread_local std::vector<QString>* messagesOut = nullptr;
QtMessageHandler previousHandler = nullptr;

void collectMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (messagesOut && type != QtFatalMsg) {
        if (messagesOut->size() < kMaxMessages)
            messagesOut->push_back(message);
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

std::once_flag handlerInstalled;

// What the decoder reported, by kind. For a JPEG that Qt's reader complained about,
// libjpeg-turbo's own account, which Qt cuts short after the first warning.
DecoderWarnings warningsOf(const DecodedPicture& d, const std::vector<QString>& messages,
                           puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    DecoderWarnings w;
    if (d.format == "jpeg" && !messages.empty()) {
        JpegScan scan = scanJpeg(source, offset, size);
        if (scan.available) {
            // Qt reads the colour profile itself: its word on a damaged one stands, also
            // where libjpeg (the copy built into Qt) cannot join profiles.
            for (const QString& m : messages)
                if (classifyReaderMessage(m) == DecoderWarning::BadIccProfile)
                    scan.warnings.add(DecoderWarning::BadIccProfile);
            return std::move(scan.warnings);
        }
    }
    for (const QString& m : messages)
        w.add(classifyReaderMessage(m));
    // Where the data leaves rows out, whatever the reader filled them with says no more.
    const auto inData = d.format == "bmp" ? madeUpInBmpData(source, offset, size) : std::nullopt;
    if (const auto madeUp = inData ? inData : d.madeUp)
        w.add(*madeUp);
    return w;
}

} // namespace

PictureCheck checkPictureRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    std::call_once(handlerInstalled,
                   [] { previousHandler = qInstallMessageHandler(collectMessage); });
    std::vector<QString> messages;
    messagesOut = &messages;
    const DecodedPicture d = decodePictureRange(source, offset, size, reduced, Sampling::Nearest);
    messagesOut = nullptr;

    PictureCheck c;
    c.decodes = d.ok();
    c.width = d.decodedWidth;
    c.height = d.decodedHeight;
    c.problem = d.problem;
    if (c.decodes) {
        c.warnings = warningsOf(d, messages, source, offset, size);
        if (c.warnings.madeUp())
            c.problem = PictureProblem::Damaged;
        if (d.format == "jpeg")
            c.orientation = readExifOrientation([&](std::int64_t at, std::span<std::uint8_t> out) {
                                return at >= 0 && std::int64_t(out.size()) <= size - at &&
                                       source.readAt(std::uint64_t(offset + at), out);
                            }).value;
    } else if (c.problem == PictureProblem::Damaged || c.problem == PictureProblem::TooLarge) {
        // The stored size of a picture that gave no pixels, where its header tells it.
        const QSize stored = pictureSizeOfRange(source, offset, size);
        c.width = stored.width();
        c.height = stored.height();
    }
    if (!c.decodes &&
        (c.problem == PictureProblem::Damaged || c.problem == PictureProblem::UnknownKind))
        c.unreadable = unreadableReason(source, offset, size);
    return c;
}

PictureCheck checkPictureFile(const std::string& path) {
    const auto file = puzzle::FileByteSource::open(path);
    if (!file) {
        PictureCheck c;
        c.problem = decodePictureFile(path).problem; // why it cannot be opened
        return c;
    }
    return checkPictureRange(*file, 0, std::int64_t(file->size()));
}

static_assert(kDecodeBudgetBytes == std::uint64_t(512) << 20 && kMaxDecodePixels == 500'000'000,
              "the reason below names them");

const char* describeProblem(PictureProblem problem) {
    switch (problem) {
    case PictureProblem::None:
        return "decodes";
    case PictureProblem::NotAFile:
        return "not a regular file";
    case PictureProblem::Unreadable:
        return "cannot be read";
    case PictureProblem::UnknownKind:
        return "not a BMP, JPEG or GIF picture";
    case PictureProblem::Damaged:
        return "damaged";
    case PictureProblem::TooLarge:
        return "too large to decode (over 500 megapixels or 512 MB)";
    }
    return "";
}

} // namespace pdt::preview
