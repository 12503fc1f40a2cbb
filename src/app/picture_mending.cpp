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

// The made file's name: the chosen picture's, as a JPEG.
QString jpegName(const std::string& chosen) {
    return QFileInfo(displayPath(chosen)).completeBaseName() + QStringLiteral(".jpg");
}

session::PictureFacts refused(const char* text) {
    session::PictureFacts facts;
    facts.refusal = puzzle::UserMessage{text, ui::kCaptionInformation, puzzle::MessageIcon::Error};
    return facts;
}

} // namespace

MendingOffer mendingOffer(const std::vector<session::PictureFacts>& facts) {
    MendingOffer offer;
    for (size_t i = 0; i < facts.size(); ++i)
        if (!facts[i].otherFormat.empty())
            offer.convert.push_back(i);
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
    const std::string place = newPlace(kConverted);
    const std::string target =
        place.empty() ? place : nativePath(displayPath(place) + '/' + jpegName(chosen));
    return [chosen, target] {
        if (target.empty() || !preview::convertToJpeg(chosen, target).done)
            return refused(ui::kConversionFailed);
        session::PictureFacts facts = checkPicture(target);
        facts.made = session::PictureFacts::Made::Converted;
        facts.madeFile = target;
        return facts;
    };
}

QString MadePictures::noteFor(const std::string& file) const {
    const QFileInfo made(displayPath(file));
    if (QFileInfo(made.path()).path() != folder_)
        return {};
    if (made.dir().dirName().startsWith(QLatin1String(kConverted) + '-'))
        return QString::fromUtf8(ui::kNoteConverted);
    return {};
}

} // namespace pdt::app
