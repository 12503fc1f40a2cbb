#include "app/picture_refusal.h"

#include "app/ui_texts.h"
#include "preview/picture_decoder.h"

namespace pdt::app {

namespace {

// Large enough to run the whole decoder, small enough that a JPEG decodes at 1/8 scale.
QSize reduced(QSize stored) {
    constexpr int kSide = 256;
    if (stored.width() <= kSide && stored.height() <= kSide)
        return stored;
    return stored.scaled(kSide, kSide, Qt::KeepAspectRatio);
}

// Qt's readers report damage they patch over only as log messages.
bool complained = false;
QtMessageHandler previous = nullptr;
void noteComplaint(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg || type == QtCriticalMsg)
        complained = true;
    else if (previous)
        previous(type, context, message);
}

puzzle::UserMessage refused(const char* text) {
    return {text, ui::kCaptionInformation, puzzle::MessageIcon::Error};
}

} // namespace

std::optional<puzzle::UserMessage> pictureRefusal(const std::string& nativePath) {
    if (preview::pictureSizeOfFile(nativePath).isEmpty())
        return refused(ui::kPictureNotKnown);
    complained = false;
    previous = qInstallMessageHandler(noteComplaint);
    const bool decodes =
        preview::decodePictureFile(nativePath, reduced, preview::Sampling::Nearest).ok();
    qInstallMessageHandler(previous);
    if (!decodes || complained)
        return refused(ui::kPictureDamaged);
    return std::nullopt;
}

} // namespace pdt::app
