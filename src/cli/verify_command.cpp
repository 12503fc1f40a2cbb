#include "cli/commands.h"
#include "cli/picture_checks.h"
#include "cli/puzzle_reader.h"
#include "preview/picture_check.h"
#include "puzzle/format.h"

#include <vector>

namespace pdt::cli {

namespace {

const char* slotWord(int slot) {
    return slot == puzzle::kPuzzleSlot ? "puzzle" : "finished";
}

// Stored offsets against the positions the walk found.
void checkOffsets(const puzzle::PatternRecord& r, std::uint64_t at, const std::string& where,
                  std::vector<std::string>& problems) {
    const auto expect = [&](const char* field, std::int64_t stored, std::uint64_t walked) {
        if (stored < 0 || std::uint64_t(stored) != walked)
            problems.push_back(where + field + " is " + std::to_string(stored) +
                               ", the walk puts it at " + std::to_string(walked));
    };
    expect("recordOffset", r.recordOffset, at);
    expect("puzzleImageOffset", r.puzzleImageOffset, at + puzzle::kRecordSize);
    expect("finishedImageOffset", r.finishedImageOffset,
           at + puzzle::kRecordSize + std::uint64_t(r.puzzleImageSize));
}

// What verify found: problems fail the file; notes tell what the player makes of it.
struct Findings {
    std::vector<std::string> problems;
    std::vector<std::string> notes;
};

void checkPictures(PuzzleFile& file, const puzzle::PatternRecord& r, const std::string& where,
                   Findings& found) {
    std::vector<std::string>& problems = found.problems;
    const std::uint64_t length = file.walk.fileLength;
    if (std::int64_t(r.puzzleImageSize) + r.finishedImageSize == 0)
        problems.push_back(where + "has no picture");
    for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
        const std::int64_t size = puzzle::slotSize(r, slot);
        const std::int64_t offset = puzzle::slotOffset(r, slot);
        if (size == 0)
            continue;
        const std::string picture = where + "the " + slotWord(slot) + " picture";
        if (size < 0 || offset < 0 || std::uint64_t(offset) + std::uint64_t(size) > length) {
            problems.push_back(picture + " (offset " + std::to_string(offset) + ", size " +
                               std::to_string(size) + ") lies outside the file");
            continue;
        }
        const preview::PictureCheck check = preview::checkPictureRange(*file.source, offset, size);
        if (!check.ok()) {
            problems.push_back(picture + " " + PictureRefusalReason(check));
            continue;
        }
        if (check.orientation != 1)
            found.notes.push_back(picture + " has EXIF orientation " +
                                  std::to_string(check.orientation) +
                                  ": the player shows it as stored, not as taken");
        const std::string dims = std::to_string(check.width) + " x " + std::to_string(check.height);
        if (slot != puzzle::kPuzzleSlot)
            continue;
        const PieceOffer offer = OfferFor(check.width, check.height);
        if (!offer.accepted())
            problems.push_back(picture + " (" + dims + ") would be refused: " +
                               RefusalReason(offer, check.width, check.height));
        else if (!offer.offers(r.pieceCount))
            problems.push_back(where + "pieceCount " + std::to_string(r.pieceCount) +
                               " is not offered for its " + dims +
                               " puzzle picture (offered: " + DescribeCounts(offer.counts) + ")");
    }
}

} // namespace

int VerifyCommand(const Arguments& args, const Console& console) {
    auto opened = OpenPuzzleFile(args.operand, {args.password, args.passwordFile}, console);
    if (const auto* f = std::get_if<Failure>(&opened))
        return Report(*f, console);
    auto& file = std::get<PuzzleFile>(opened);

    Findings found;
    std::vector<std::string>& problems = found.problems;
    if (!file.walk.sound())
        problems.push_back(puzzle::DescribeDamageEnglish(file.walk));
    std::uint64_t at = puzzle::kHeaderSize;
    for (size_t i = 0; i < file.walk.records.size(); ++i) {
        const auto& r = file.walk.records[i];
        const std::string where = "pattern " + std::to_string(i + 1) + ": ";
        checkOffsets(r, at, where, problems);
        checkPictures(file, r, where, found);
        at += puzzle::kRecordSize + std::uint64_t(r.puzzleImageSize) +
              std::uint64_t(r.finishedImageSize);
    }

    for (const auto& n : found.notes)
        console.print("note: " + OneLine(n) + "\n");
    for (const auto& p : problems)
        console.print(OneLine(p) + "\n");
    if (problems.empty()) {
        const auto n = file.walk.records.size();
        console.print(file.path + ": " + std::to_string(n) + " pattern" + (n == 1 ? "" : "s") +
                      ", no problems\n");
        return kExitSuccess;
    }
    return Report(failed(file.path + ": " + std::to_string(problems.size()) + " problem" +
                         (problems.size() == 1 ? "" : "s")),
                  console);
}

} // namespace pdt::cli
