#include "cli/picture_checks.h"

#include "preview/exif_orientation.h"

#include <algorithm>

namespace pdt::cli {

bool PieceOffer::offers(int pieceCount) const {
    return std::find(counts.begin(), counts.end(), pieceCount) != counts.end();
}

PieceOffer OfferFor(int width, int height) {
    PieceOffer offer;
    offer.choices = pieces::FillPieceChoices(offer.table, width, height);
    if (offer.accepted())
        for (int i = 0; i < offer.choices.count; ++i)
            offer.counts.push_back(offer.table[size_t(i)].pieceCount());
    return offer;
}

std::string RefusalReason(const PieceOffer& offer, int width, int height) {
    if (width < pieces::kMinPictureSide || height < pieces::kMinPictureSide)
        return "a side is under 200 pixels";
    if (offer.choices.count == 0)
        return "it admits no grid of pieces";
    return "the editor refuses it";
}

std::string PictureRefusalReason(const preview::PictureCheck& check) {
    std::string reason;
    switch (check.problem) {
    case preview::PictureProblem::None:
        return "is accepted";
    case preview::PictureProblem::TooLarge:
        reason.append("(").append(std::to_string(check.width)).append(" x ");
        reason.append(std::to_string(check.height)).append(") is ");
        return reason.append(preview::describeProblem(check.problem));
    case preview::PictureProblem::Damaged:
        if (!check.decodes)
            break;
        reason = "is damaged: ";
        return reason.append(preview::describeWarning(check.warnings.firstMadeUp()));
    case preview::PictureProblem::NotAFile:
    case preview::PictureProblem::Unreadable:
        reason = "is ";
        return reason.append(preview::describeProblem(check.problem));
    case preview::PictureProblem::UnknownKind:
        break;
    }
    if (check.unreadable.kind != preview::UnreadableKind::None)
        return reason.append("is ").append(preview::describeUnreadable(check.unreadable));
    return "is not a BMP, JPEG or GIF picture that decodes";
}

int StoredOrientation(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    return preview::readExifOrientation([&](std::int64_t at, std::span<std::uint8_t> out) {
               return at >= 0 && std::int64_t(out.size()) <= size - at &&
                      source.readAt(std::uint64_t(offset + at), out);
           })
        .value;
}

std::string DescribeCounts(const std::vector<int>& counts) {
    if (counts.empty())
        return "none";
    if (counts.size() > 8)
        return std::to_string(counts.size()) + " counts from " + std::to_string(counts.front()) +
               " to " + std::to_string(counts.back());
    std::string out;
    for (const int c : counts)
        out += (out.empty() ? "" : ", ") + std::to_string(c);
    return out;
}

} // namespace pdt::cli
