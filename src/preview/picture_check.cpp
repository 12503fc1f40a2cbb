#include "preview/picture_check.h"

#include <QtGlobal>

#include <mutex>

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
thread_local std::string* complaintOut = nullptr;
QtMessageHandler previousHandler = nullptr;

void collectComplaint(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (complaintOut && type != QtFatalMsg) {
        if (complaintOut->empty())
            *complaintOut = message.toStdString();
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

std::once_flag handlerInstalled;

template <class Decode> PictureCheck check(Decode&& decode) {
    std::call_once(handlerInstalled,
                   [] { previousHandler = qInstallMessageHandler(collectComplaint); });
    PictureCheck result;
    complaintOut = &result.complaint;
    const DecodedPicture d = decode();
    complaintOut = nullptr;
    result.decodes = d.ok();
    result.width = d.decodedWidth;
    result.height = d.decodedHeight;
    result.problem = d.problem;
    if (result.decodes && !result.complaint.empty())
        result.problem = PictureProblem::Damaged;
    return result;
}

// The stored size of a picture that gave no pixels, where its header tells it.
void addStoredSize(PictureCheck& c, QSize stored) {
    if (c.decodes ||
        (c.problem != PictureProblem::Damaged && c.problem != PictureProblem::TooLarge))
        return;
    c.width = stored.width();
    c.height = stored.height();
}

} // namespace

PictureCheck checkPictureFile(const std::string& path) {
    PictureCheck c = check([&] { return decodePictureFile(path, reduced, Sampling::Nearest); });
    addStoredSize(c, pictureSizeOfFile(path));
    return c;
}

PictureCheck checkPictureRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    PictureCheck c =
        check([&] { return decodePictureRange(source, offset, size, reduced, Sampling::Nearest); });
    addStoredSize(c, pictureSizeOfRange(source, offset, size));
    return c;
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
