#include "cli/commands.h"
#include "cli/puzzle_reader.h"
#include "preview/picture_check.h"
#include "preview/picture_decoder.h"
#include "puzzle/format.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace pdt::cli {

namespace {

// The stored size fitted into limit x limit, never enlarged, at least one pixel a side.
QSize fitted(QSize stored, int limit) {
    if (stored.width() <= limit && stored.height() <= limit)
        return stored;
    const QSize s = stored.scaled(limit, limit, Qt::KeepAspectRatio);
    return {std::max(1, s.width()), std::max(1, s.height())};
}

} // namespace

int ThumbnailCommand(const Arguments& args, const Console& console) {
    // A file manager runs this with no one at the terminal to type a password.
    PasswordSource password{args.password, args.passwordFile};
    password.mayAsk = false;
    auto opened = OpenPuzzleFile(args.operand, password, console);
    if (const auto* f = std::get_if<Failure>(&opened))
        return Report(*f, console);
    auto& file = std::get<PuzzleFile>(opened);
    if (!file.walk.sound())
        return Report(failed(file.path + ": " + puzzle::DescribeDamageEnglish(file.walk)), console);
    if (file.walk.records.empty())
        return Report(failed(file.path + ": holds no pattern"), console);

    const auto& first = file.walk.records.front();
    const bool hasPuzzle = puzzle::slotSize(first, puzzle::kPuzzleSlot) > 0;
    const int slot = hasPuzzle ? puzzle::kPuzzleSlot : puzzle::kFinishedSlot;
    if (puzzle::slotSize(first, slot) <= 0)
        return Report(failed(file.path + ": the first pattern has no picture"), console);

    // Only the reduced size is decoded: a JPEG is scaled in its DCT, at a fraction of the work.
    const int limit = args.size;
    const preview::DecodedPicture picture = preview::decodePictureRange(
        *file.source, puzzle::slotOffset(first, slot), puzzle::slotSize(first, slot),
        [limit](QSize stored) { return fitted(stored, limit); });
    if (!picture.ok() || picture.problem != preview::PictureProblem::None)
        return Report(failed(file.path + ": the first pattern's " +
                             (slot == puzzle::kPuzzleSlot ? "puzzle" : "finished") +
                             " picture is " +
                             (picture.problem != preview::PictureProblem::None
                                  ? preview::describeProblem(picture.problem)
                                  : "not a picture that decodes")),
                      console);

    // Replaced whole or not at all: a file manager may look at it at any moment.
    QSaveFile out(QFile::decodeName(args.output->c_str()));
    if (!out.open(QIODevice::WriteOnly) || !picture.pixels.save(&out, "PNG") || !out.commit())
        return Report(
            failed("cannot write " + *args.output + ": " + out.errorString().toStdString()),
            console);
    return kExitSuccess;
}

} // namespace pdt::cli
