#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/picture_checks.h"
#include "cli/puzzle_reader.h"
#include "puzzle/format.h"
#include "text/cp932.h"

#include <cstdio>

namespace pdt::cli {

namespace {

std::string textOf(const puzzle::TextField& field) {
    return text::fromCp932(puzzle::fieldText(field));
}

JsonValue pictureJson(const PuzzleFile& file, const puzzle::PatternRecord& r, int slot) {
    JsonValue o = JsonValue::object();
    o.add("path", textOf(puzzle::slotPath(r, slot)));
    const std::int64_t offset = puzzle::slotOffset(r, slot), size = puzzle::slotSize(r, slot);
    o.add("offset", int(offset));
    o.add("size", int(size));
    // A photo the player shows on its side or mirrored says so; others stay as they were.
    if (size > 0 && offset >= 0 && std::uint64_t(offset + size) <= file.walk.fileLength)
        if (const int orientation = StoredOrientation(*file.source, offset, size); orientation != 1)
            o.add("orientation", orientation);
    o.inlined();
    return o;
}

JsonValue listingJson(const PuzzleFile& file) {
    const auto& walk = file.walk;
    JsonValue patterns = JsonValue::array();
    for (size_t i = 0; i < walk.records.size(); ++i) {
        const auto& r = walk.records[i];
        JsonValue p = JsonValue::object();
        p.add("number", int(i) + 1);
        p.add("recordSize", int(r.recordSize));
        p.add("vendorInfo", int(r.vendorInfo));
        p.add("recordOffset", int(r.recordOffset));
        p.add("puzzle", pictureJson(file, r, puzzle::kPuzzleSlot));
        p.add("finished", pictureJson(file, r, puzzle::kFinishedSlot));
        p.add("pieceCount", int(r.pieceCount));
        p.add("auxWord", int(r.auxWord));
        p.add("rotation", int(r.rotation));
        p.add("clearComment", textOf(r.clearComment));
        p.add("finishComment", textOf(r.finishComment));
        patterns.push(std::move(p));
    }
    JsonValue root = JsonValue::object();
    root.add("countByte", int(walk.header.countByte));
    root.add("hasPassword", !walk.header.password.empty());
    root.add("vendorInfo", walk.records.empty() ? 0 : int(walk.records.front().vendorInfo));
    root.add("fileSize", std::int64_t(walk.fileLength));
    root.add("damage", walk.sound() ? JsonValue() : JsonValue(puzzle::DescribeDamageEnglish(walk)));
    root.add("patterns", std::move(patterns));
    return root;
}

// One line a pattern, for people; the comments follow on lines of their own.
std::string listingTable(const PuzzleFile& file) {
    const auto& walk = file.walk;
    std::string out =
        file.path + ": " + std::to_string(walk.records.size()) + " pattern" +
        (walk.records.size() == 1 ? "" : "s") + ", " + std::to_string(walk.fileLength) +
        " bytes, " + (walk.header.password.empty() ? "no password" : "password") +
        ", vendor info " +
        std::to_string(walk.records.empty() ? 0 : walk.records.front().vendorInfo) + "\n";
    char line[160];
    std::snprintf(line, sizeof line, "%4s %10s %10s %7s %4s  %s\n", "no", "puzzle", "finished",
                  "pieces", "rot", "pictures");
    out += line;
    for (size_t i = 0; i < walk.records.size(); ++i) {
        const auto& r = walk.records[i];
        std::snprintf(line, sizeof line, "%4zu %10d %10d %7d %4d  ", i + 1, int(r.puzzleImageSize),
                      int(r.finishedImageSize), int(r.pieceCount), int(r.rotation));
        out += line;
        out += OneLine(textOf(r.puzzleImagePath)) + " | " + OneLine(textOf(r.finishedImagePath)) +
               "\n";
        for (const auto* comment : {&r.clearComment, &r.finishComment}) {
            const std::string c = textOf(*comment);
            if (!c.empty())
                out += "     \"" + OneLine(c) + "\"\n";
        }
    }
    return out;
}

} // namespace

int ListCommand(const Arguments& args, const Console& console) {
    auto opened = OpenPuzzleFile(args.operand, {args.password, args.passwordFile}, console);
    if (const auto* f = std::get_if<Failure>(&opened))
        return Report(*f, console);
    const auto& file = std::get<PuzzleFile>(opened);

    console.print(args.json ? listingJson(file).text() : listingTable(file));
    if (!file.walk.sound())
        return Report(failed(file.path + ": " + puzzle::DescribeDamageEnglish(file.walk)), console);
    return kExitSuccess;
}

} // namespace pdt::cli
