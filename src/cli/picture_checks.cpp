#include "cli/picture_checks.h"

#include "preview/picture_decoder.h"

#include <QtGlobal>

#include <algorithm>

namespace pdt::cli {

namespace {

// Large enough to run the whole decoder, small enough that a JPEG decodes at 1/8 scale.
QSize reduced(QSize stored) {
    constexpr int kSide = 256;
    if (stored.width() <= kSide && stored.height() <= kSide)
        return stored;
    return stored.scaled(kSide, kSide, Qt::KeepAspectRatio);
}

// Qt's image readers report damage they work around as log messages; while a check
// runs, those are its findings.
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

template <class Decode> PictureCheck check(Decode&& decode) {
    PictureCheck result;
    complaintOut = &result.complaint;
    previousHandler = qInstallMessageHandler(collectComplaint);
    const preview::DecodedPicture d = decode();
    qInstallMessageHandler(previousHandler);
    complaintOut = nullptr;
    result.decodes = d.ok();
    result.width = d.decodedWidth;
    result.height = d.decodedHeight;
    return result;
}

} // namespace

PictureCheck CheckPictureFile(const std::string& path) {
    return check(
        [&] { return preview::decodePictureFile(path, reduced, preview::Sampling::Nearest); });
}

PictureCheck CheckPictureRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    return check([&] {
        return preview::decodePictureRange(source, offset, size, reduced,
                                           preview::Sampling::Nearest);
    });
}

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
