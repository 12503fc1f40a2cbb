#include "cli/commands.h"
#include "cli/manifest.h"
#include "cli/output_folder.h"
#include "cli/puzzle_reader.h"
#include "cli/safe_names.h"
#include "puzzle/format.h"
#include "text/cp932.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace pdt::cli {

namespace {

constexpr std::size_t kChunkSize = std::size_t(1) << 20;
constexpr char kManifestName[] = "manifest.json";

struct PlannedPicture {
    int pattern = 0; // zero-based
    int slot = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::string name;
};

const char* slotWord(int slot) {
    return slot == puzzle::kPuzzleSlot ? "puzzle" : "finished";
}

// Every stored picture, its range checked against the file before anything is written.
std::variant<std::vector<PlannedPicture>, Failure> planPictures(PuzzleFile& file) {
    std::vector<PlannedPicture> plan;
    const std::uint64_t length = file.walk.fileLength;
    for (size_t i = 0; i < file.walk.records.size(); ++i) {
        const auto& r = file.walk.records[i];
        for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
            const std::int64_t size = puzzle::slotSize(r, slot);
            const std::int64_t offset = puzzle::slotOffset(r, slot);
            if (size == 0)
                continue;
            if (size < 0 || offset < 0 || std::uint64_t(offset) + std::uint64_t(size) > length)
                return failed(file.path + ": the " + slotWord(slot) + " picture of pattern " +
                              std::to_string(i + 1) + " (offset " + std::to_string(offset) +
                              ", size " + std::to_string(size) + ") lies outside the file");
            std::array<std::uint8_t, 8> head{};
            const auto n = std::min<std::uint64_t>(head.size(), std::uint64_t(size));
            if (!file.source->readAt(std::uint64_t(offset), std::span(head.data(), size_t(n))))
                return failed(file.path + ": read error at offset " + std::to_string(offset));
            PlannedPicture p;
            p.pattern = int(i);
            p.slot = slot;
            p.offset = std::uint64_t(offset);
            p.size = std::uint64_t(size);
            p.name = ExtractedName(int(i) + 1, slot,
                                   text::fromCp932(puzzle::fieldText(puzzle::slotPath(r, slot))),
                                   std::span(head.data(), size_t(n)));
            plan.push_back(std::move(p));
        }
    }
    return plan;
}

Manifest manifestFor(const PuzzleFile& file, const std::vector<PlannedPicture>& plan) {
    Manifest m;
    const auto& records = file.walk.records;
    m.password = text::fromCp932(file.walk.header.password);
    m.vendorInfo = !records.empty() && records.front().vendorInfo != 0;
    m.patterns.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        auto& p = m.patterns[i];
        p.pieceCount = r.pieceCount;
        p.rotation = r.rotation != 0;
        p.clearComment = text::fromCp932(puzzle::fieldText(r.clearComment));
        p.finishComment = text::fromCp932(puzzle::fieldText(r.finishComment));
        // A recorded path travels even without its picture, so that pack writes it back.
        // An empty one is left out: pack then records the picture file's own path.
        const auto recorded = [&](int slot) -> std::optional<std::string> {
            const auto path = puzzle::fieldText(puzzle::slotPath(r, slot));
            if (path.empty())
                return std::nullopt;
            return text::fromCp932(path);
        };
        p.puzzlePath = recorded(puzzle::kPuzzleSlot);
        p.finishedPath = recorded(puzzle::kFinishedSlot);
    }
    for (const auto& picture : plan)
        (picture.slot == puzzle::kPuzzleSlot ? m.patterns[size_t(picture.pattern)].puzzle
                                             : m.patterns[size_t(picture.pattern)].finished) =
            picture.name;
    return m;
}

std::string ioFailure(const std::string& what, const std::string& name, int error) {
    return "cannot " + what + " " + name + ": " + std::strerror(error);
}

Check writePicture(PuzzleFile& file, OutputFolder& folder, const std::string& dir,
                   const PlannedPicture& picture, bool force) {
    const std::string shown = dir + "/" + picture.name;
    int error = 0;
    auto out = folder.create(picture.name, force, 0666, error);
    if (!out)
        return failed(ioFailure("create", shown, error));
    std::vector<std::uint8_t> buffer(
        std::size_t(std::min<std::uint64_t>(picture.size, kChunkSize)));
    for (std::uint64_t done = 0; done < picture.size;) {
        const auto n = std::size_t(std::min<std::uint64_t>(buffer.size(), picture.size - done));
        if (!file.source->readAt(picture.offset + done, std::span(buffer.data(), n)))
            return failed(file.path + ": read error at offset " +
                          std::to_string(picture.offset + done));
        if (const int e = out->write(std::span(buffer.data(), n)); e != 0)
            return failed(ioFailure("write", shown, e));
        done += n;
    }
    if (const int e = out->commit(); e != 0)
        return failed(ioFailure("write", shown, e));
    return std::nullopt;
}

} // namespace

int ExtractCommand(const Arguments& args, const Console& console) {
    auto opened = OpenPuzzleFile(args.operand, {args.password, args.passwordFile}, console);
    if (const auto* f = std::get_if<Failure>(&opened))
        return Report(*f, console);
    auto& file = std::get<PuzzleFile>(opened);
    if (!file.walk.sound())
        return Report(failed(file.path + ": " + puzzle::DescribeDamageEnglish(file.walk) +
                             "; nothing extracted"),
                      console);

    auto planned = planPictures(file);
    if (const auto* f = std::get_if<Failure>(&planned))
        return Report(*f, console);
    const auto& plan = std::get<std::vector<PlannedPicture>>(planned);

    const std::string dir = args.output.value_or(".");
    int error = 0;
    const auto folder = OutputFolder::open(dir, error);
    if (!folder)
        return Report(failed(ioFailure("open the folder", dir, error)), console);

    if (!args.force) {
        std::vector<std::string> names{kManifestName};
        for (const auto& p : plan)
            names.push_back(p.name);
        for (const auto& name : names)
            if (folder->has(name))
                return Report(failed(dir + "/" + name + " exists; --force replaces it"), console);
    }

    for (const auto& picture : plan) {
        if (auto f = writePicture(file, *folder, dir, picture, args.force))
            return Report(*f, console);
        console.print(dir + "/" + picture.name + "\n");
    }

    // The manifest holds the password: only its owner may read it then.
    const Manifest manifest = manifestFor(file, plan);
    const std::string json = ManifestJson(manifest).text();
    const std::string shown = dir + "/" + kManifestName;
    auto out =
        folder->create(kManifestName, args.force, manifest.password.empty() ? 0666 : 0600, error);
    if (!out)
        return Report(failed(ioFailure("create", shown, error)), console);
    if (const int e =
            out->write(std::span(reinterpret_cast<const std::uint8_t*>(json.data()), json.size()));
        e != 0)
        return Report(failed(ioFailure("write", shown, e)), console);
    if (const int e = out->commit(); e != 0)
        return Report(failed(ioFailure("write", shown, e)), console);
    if (const int e = folder->sync(); e != 0)
        return Report(failed(ioFailure("write", dir, e)), console);
    console.print(shown + "\n");
    return kExitSuccess;
}

} // namespace pdt::cli
