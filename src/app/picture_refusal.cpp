#include "app/picture_refusal.h"

#include "app/ui_texts.h"
#include "preview/picture_check.h"

namespace pdt::app {

std::optional<puzzle::UserMessage> pictureRefusal(const std::string& nativePath) {
    const char* text = nullptr;
    switch (preview::checkPictureFile(nativePath).problem) {
    case preview::PictureProblem::None:
        return std::nullopt;
    case preview::PictureProblem::NotAFile:
    case preview::PictureProblem::Unreadable:
        text = ui::kPictureUnreadable;
        break;
    case preview::PictureProblem::UnknownKind:
        text = ui::kPictureNotKnown;
        break;
    case preview::PictureProblem::Damaged:
        text = ui::kPictureDamaged;
        break;
    case preview::PictureProblem::TooLarge:
        text = ui::kPictureTooLarge;
        break;
    }
    return puzzle::UserMessage{text, ui::kCaptionInformation, puzzle::MessageIcon::Error};
}

} // namespace pdt::app
