#include "app/picture_mending.h"

#include "app/file_kinds.h"
#include "app/ui_texts.h"
#include "preview/picture_conversion.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace pdt::app {

namespace {

constexpr char kConverted[] = "converted";
constexpr char kUpright[] = "upright";

// The made file's name: the chosen picture's, as a JPEG.
QString jpegName(const std::string& chosen) {
    return QFileInfo(displayPath(chosen)).completeBaseName() + QStringLiteral(".jpg");
}

// Makes a picture from `chosen` in `place` with `make`, then checks what it made.
PictureJob making(const std::string& place, const std::string& chosen,
                  preview::Conversion (*make)(const std::string&, const std::string&),
                  const char* failure, session::PictureFacts::Made made) {
    const std::string target =
        place.empty() ? place : nativePath(displayPath(place) + '/' + jpegName(chosen));
    return [=]() -> session::PictureFacts {
        if (target.empty() || !make(chosen, target).done) {
            session::PictureFacts facts;
            facts.refusal =
                puzzle::UserMessage{failure, ui::kCaptionInformation, puzzle::MessageIcon::Error};
            return facts;
        }
        session::PictureFacts facts = checkPicture(target);
        facts.made = made;
        facts.madeFile = target;
        return facts;
    };
}

} // namespace

MendingOffer mendingOffer(const std::vector<session::PictureFacts>& facts) {
    MendingOffer offer;
    for (size_t i = 0; i < facts.size(); ++i) {
        if (!facts[i].otherFormat.empty())
            offer.convert.push_back(i);
        else if (!facts[i].refusal && facts[i].orientation != 1)
            offer.turn.push_back(i);
    }
    return offer;
}

Question conversionQuestion(const std::vector<session::PictureFacts>& facts,
                            const std::vector<size_t>& which) {
    QStringList formats;
    for (const size_t i : which)
        if (!formats.contains(QString::fromStdString(facts[i].otherFormat)))
            formats.push_back(QString::fromStdString(facts[i].otherFormat));
    const QString text =
        which.size() == 1
            ? QString::fromUtf8(ui::kAskConvert).arg(formats.front())
            : QString::fromUtf8(ui::kAskConvertSeveral).arg(which.size()).arg(formats.join("・"));
    return {text.toStdString(), ui::kCaptionConvert, puzzle::MessageIcon::None, true};
}

Question uprightQuestion(size_t count) {
    const QString text = count == 1 ? QString::fromUtf8(ui::kAskUpright)
                                    : QString::fromUtf8(ui::kAskUprightSeveral).arg(count);
    return {text.toStdString(), ui::kCaptionUpright, puzzle::MessageIcon::None, true};
}

std::string MadePictures::newPlace(const char* kind) {
    for (int n = 1; n < 1'000'000; ++n) {
        const QString place = folder_ + QStringLiteral("/%1-%2").arg(QLatin1String(kind)).arg(n);
        if (QFileInfo::exists(place))
            continue;
        return QDir().mkpath(place) ? nativePath(place) : std::string();
    }
    return {};
}

PictureJob MadePictures::conversion(const std::string& chosen) {
    return making(newPlace(kConverted), chosen, preview::convertToJpeg, ui::kConversionFailed,
                  session::PictureFacts::Made::Converted);
}

PictureJob MadePictures::turning(const std::string& chosen) {
    return making(newPlace(kUpright), chosen, preview::storeUpright, ui::kUprightFailed,
                  session::PictureFacts::Made::TurnedUpright);
}

QString MadePictures::noteFor(const std::string& file) const {
    const QFileInfo made(displayPath(file));
    if (QFileInfo(made.path()).path() != folder_)
        return {};
    const QString kind = made.dir().dirName().section(QLatin1Char('-'), 0, 0);
    if (kind == QLatin1String(kConverted))
        return QString::fromUtf8(ui::kNoteConverted);
    if (kind == QLatin1String(kUpright))
        return QString::fromUtf8(ui::kNoteTurned);
    return {};
}

} // namespace pdt::app
