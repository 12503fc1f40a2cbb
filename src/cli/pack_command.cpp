#include "cli/commands.h"
#include "cli/manifest.h"
#include "cli/output_folder.h"
#include "cli/picture_checks.h"
#include "cli/puzzle_reader.h"
#include "preview/picture_check.h"
#include "preview/picture_conversion.h"
#include "puzzle/document.h"
#include "puzzle/file_system.h"
#include "puzzle/messages.h"
#include "puzzle/pictures.h"
#include "puzzle/save.h"
#include "text/cp932.h"

#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

namespace pdt::cli {

namespace {

namespace fs = std::filesystem;

// Manifests are small; a larger file is not one, and is not read into memory.
constexpr std::uint64_t kMaxManifestBytes = 16 * 1024 * 1024;

// The size of a regular file, opened through the engine's file system (UTF-8 names on both
// systems; a FIFO refused without waiting for a writer). Nothing when it cannot be read.
std::optional<std::uint64_t> regularFileSize(const std::string& path) {
    auto& files = puzzle::NativeFileSystem();
    const auto file = files.openRead(path);
    if (!file.ok())
        return std::nullopt;
    const auto size = files.size(file.value);
    (void)files.close(file.value);
    return size.ok() ? std::optional(size.value) : std::nullopt;
}

std::variant<std::string, Failure> readManifestText(const std::string& path) {
    auto& files = puzzle::NativeFileSystem();
    const auto file = files.openRead(path);
    const auto size = file.ok() ? files.size(file.value) : puzzle::IoResult<std::uint64_t>{};
    if (!file.ok() || !size.ok()) {
        if (file.ok())
            (void)files.close(file.value);
        return failed(path + ": " + WhyNotReadable(path));
    }
    if (size.value > kMaxManifestBytes) {
        (void)files.close(file.value);
        return failed(path + ": too large for a manifest");
    }
    std::string text(size_t(size.value), '\0');
    const auto read = files.readAt(
        file.value, 0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
    (void)files.close(file.value);
    text.resize(read.value);
    return text;
}

// UTF-8 text as the file stores it: code page 932, within a field of `limit` bytes.
struct Encoded {
    std::string bytes;
    std::optional<Failure> problem;
};

Encoded encoded(std::string_view utf8, size_t limit, const std::string& what) {
    if (utf8.find('\0') != std::string_view::npos)
        return {{}, failed(what + " holds a NUL character")};
    auto cp932 = text::toCp932(utf8);
    if (!cp932)
        return {{}, failed(what + " holds a character that code page 932 cannot store")};
    if (cp932->size() > limit)
        return {{},
                failed(what + " is " + std::to_string(cp932->size()) +
                       " bytes in code page 932; at most " + std::to_string(limit) + " fit")};
    return {*std::move(cp932), std::nullopt};
}

class Scratch;

// What pack may do to a picture the player cannot use as it is.
struct PackOptions {
    bool convert = false; // another format becomes a JPEG
    bool upright = false; // a JPEG with an orientation tag is stored turned
    Scratch& scratch;
};

// A picture named in the manifest: a relative name starts at the manifest's folder.
std::string nativeOf(const fs::path& base, const std::string& name) {
    const fs::path p = puzzle::FsPath(name);
    return puzzle::Utf8Of((p.is_absolute() ? p : base / p).lexically_normal());
}

// Attaches a picture file the way the editor does. A recorded path other than the file's
// own is written into the path field afterwards; the bytes still come from the file.
Check attach(puzzle::Document& doc, int index, int slot, const std::string& native,
             const std::optional<std::string>& recordedCp932, const std::string& where) {
    if (!recordedCp932) {
        if (auto refusal = puzzle::AttachPicture(doc, index, slot, native))
            return failed(where + native + ": " + MessageLine(refusal->text));
    } else {
        // The file's own path may hold characters code page 932 lacks; it is not stored.
        const auto size = regularFileSize(native);
        if (!size)
            return failed(where + native + ": " + WhyNotReadable(native));
        if (*size > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
            return failed(where + native + ": too large for a puzzle data file");
        auto& r = doc.pattern(index);
        puzzle::setFieldText(puzzle::slotPath(r, slot), *recordedCp932);
        puzzle::slotOffset(r, slot) = 0;
        puzzle::slotSize(r, slot) = std::int32_t(*size);
        r.sourceFiles[size_t(slot)] = native;
    }
    if (puzzle::slotSize(doc.pattern(index), slot) == 0)
        return failed(where + native + " is empty");
    return std::nullopt;
}

// Where pictures made on the way (converted, turned upright) live until the file is written.
class Scratch {
  public:
    // A new file name in the scratch folder, or nothing when it cannot be made.
    std::optional<std::string> nextFile() {
        if (!dir_.isValid())
            return std::nullopt;
        const auto name = std::to_string(++made_) + ".jpg";
        return puzzle::Utf8Of(fs::path(dir_.path().toStdU16String()) / name);
    }

  private:
    QTemporaryDir dir_;
    int made_ = 0;
};

// A made picture takes the chosen one's place: its file and check, recorded under `path`
// unless the manifest names a path (`what` names the path in a refusal).
Check useMade(const std::string& made, const std::string& path, const std::string& what,
              std::optional<std::string>& recorded, std::string& file,
              preview::PictureCheck& check) {
    if (!recorded) {
        auto e = encoded(path, puzzle::kTextFieldSize, what);
        if (e.problem)
            return e.problem;
        recorded = std::move(e.bytes);
    }
    file = made;
    check = preview::checkPictureFile(file);
    return std::nullopt;
}

// A picture of a format the player does not read, converted as --convert asks: the JPEG's
// file, its path recorded next to the original's unless the manifest names one, its check.
Check convert(const std::string& native, std::optional<std::string>& recorded,
              const std::string& where, Scratch& scratch, std::string& file,
              preview::PictureCheck& check) {
    const auto target = scratch.nextFile();
    if (!target)
        return failed(where + native + " cannot be converted: no scratch folder");
    const preview::Conversion c = preview::convertToJpeg(native, *target);
    if (!c.done)
        return failed(where + native + " cannot be converted: " + c.failure);
    return useMade(*target, puzzle::Utf8Of(puzzle::FsPath(native).replace_extension(".jpg")),
                   where + "the converted picture's path", recorded, file, check);
}

// A photo whose orientation tag is not "normal", stored upright as --upright asks: recorded
// under its own path unless the manifest names one.
Check turnUpright(const std::string& native, std::optional<std::string>& recorded,
                  const std::string& where, Scratch& scratch, std::string& file,
                  preview::PictureCheck& check) {
    const auto target = scratch.nextFile();
    const preview::Conversion c = target ? preview::storeUpright(file, *target)
                                         : preview::Conversion{false, "no scratch folder"};
    if (!c.done)
        return failed(where + native + " cannot be turned upright: " + c.failure);
    return useMade(*target, native, where + native, recorded, file, check);
}

// One picture of the manifest into its slot, as the editor attaches it, made usable first
// where the options ask; its check for the piece counts.
Check fillPicture(puzzle::Document& doc, int index, int slot, const std::string& native,
                  std::optional<std::string> recorded, const std::string& where,
                  const PackOptions& options, preview::PictureCheck& check) {
    if (auto f = attach(doc, index, slot, native, recorded, where))
        return f;
    check = preview::checkPictureFile(native);
    std::string file = native;
    if (check.unreadable.kind == preview::UnreadableKind::OtherFormat) {
        if (!options.convert)
            return failed(where + native + " " + PictureRefusalReason(check) +
                          "; --convert stores it as a JPEG");
        if (auto f = convert(native, recorded, where, options.scratch, file, check))
            return f;
    }
    if (!check.ok())
        return failed(where + native + " " + PictureRefusalReason(check));
    if (options.upright && check.orientation != 1)
        if (auto f = turnUpright(native, recorded, where, options.scratch, file, check))
            return f;
    if (file != native)
        return attach(doc, index, slot, file, recorded, where);
    return std::nullopt;
}

// The pattern's pictures; the puzzle picture's check, when it has one.
Check fillPictures(puzzle::Document& doc, int index, const ManifestPattern& m, const fs::path& base,
                   const PackOptions& options,
                   std::optional<preview::PictureCheck>& puzzlePicture) {
    const std::string where = "pattern " + std::to_string(index + 1) + ": ";
    const std::optional<std::string>* recordedPaths[2] = {&m.puzzlePath, &m.finishedPath};
    const std::optional<std::string>* files[2] = {&m.puzzle, &m.finished};
    const char* pathKeys[2] = {"puzzlePath", "finishedPath"};
    for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
        std::optional<std::string> recorded;
        if (const auto& given = *recordedPaths[slot]) {
            if (given->empty())
                return failed(where + "\"" + pathKeys[slot] + "\" must not be empty");
            auto e = encoded(*given, puzzle::kTextFieldSize, where + pathKeys[slot]);
            if (e.problem)
                return e.problem;
            recorded = std::move(e.bytes);
        }
        const auto& file = *files[slot];
        if (!file) {
            // A recorded path without its picture, as a slot whose file was empty keeps it.
            if (recorded)
                puzzle::setFieldText(puzzle::slotPath(doc.pattern(index), slot), *recorded);
            continue;
        }
        preview::PictureCheck check;
        if (auto f = fillPicture(doc, index, slot, nativeOf(base, *file), recorded, where, options,
                                 check))
            return f;
        if (slot == puzzle::kPuzzleSlot)
            puzzlePicture = check;
    }
    return std::nullopt;
}

Check fillPattern(puzzle::Document& doc, int index, const ManifestPattern& m, const fs::path& base,
                  const PackOptions& options) {
    const std::string where = "pattern " + std::to_string(index + 1) + ": ";
    auto& r = doc.pattern(index);
    std::optional<preview::PictureCheck> puzzlePicture;
    if (auto f = fillPictures(doc, index, m, base, options, puzzlePicture))
        return f;

    if (puzzlePicture) {
        const PieceOffer offer = OfferFor(puzzlePicture->width, puzzlePicture->height);
        const std::string size =
            std::to_string(puzzlePicture->width) + " x " + std::to_string(puzzlePicture->height);
        if (!offer.accepted())
            return failed(where + "the puzzle picture (" + size + ") is refused: " +
                          RefusalReason(offer, puzzlePicture->width, puzzlePicture->height));
        if (m.pieceCount && !offer.offers(*m.pieceCount))
            return failed(where + "pieceCount " + std::to_string(*m.pieceCount) +
                          " is not offered for a " + size +
                          " picture (offered: " + DescribeCounts(offer.counts) + ")");
        r.pieceCount = m.pieceCount.value_or(std::int16_t(offer.counts.front()));
    } else {
        // Without a puzzle picture nothing is offered; the editor stores what it had.
        r.pieceCount = m.pieceCount.value_or(0);
    }

    r.rotation = m.rotation ? 1 : 0;
    const std::pair<const std::string*, puzzle::TextField*> comments[] = {
        {&m.clearComment, &r.clearComment}, {&m.finishComment, &r.finishComment}};
    const char* commentKeys[2] = {"clearComment", "finishComment"};
    for (int i = 0; i < 2; ++i) {
        const auto e = encoded(*comments[i].first, puzzle::kTextFieldSize, where + commentKeys[i]);
        if (e.problem)
            return e.problem;
        puzzle::setFieldText(*comments[i].second, e.bytes);
    }
    return std::nullopt;
}

// -o naming a folder: the file name is missing (DIR/, ".", ".."), or the name itself or
// the name with ".ADX" is a folder.
Check namesAFolder(const std::string& output) {
    const std::string name = puzzle::Utf8Of(puzzle::FsPath(output).filename());
    std::error_code ec;
    if (!name.empty() && name != "." && name != ".." &&
        !fs::is_directory(puzzle::FsPath(output), ec) &&
        !fs::is_directory(puzzle::FsPath(puzzle::TargetNameFor(output)), ec))
        return std::nullopt;
    return Failure{kExitUsage, "'-o " + output +
                                   "' names a folder; give the file to write, such as " +
                                   puzzle::Utf8Of(puzzle::FsPath(output) / "set.ADX")};
}

} // namespace

int PackCommand(const Arguments& args, const Console& console) {
    auto text = readManifestText(args.operand);
    if (const auto* f = std::get_if<Failure>(&text))
        return Report(*f, console);
    auto parsed = ParseManifest(std::get<std::string>(text));
    if (const auto* reason = std::get_if<std::string>(&parsed))
        return Report(failed(args.operand + ": " + *reason), console);
    const Manifest& manifest = std::get<Manifest>(parsed);

    const auto password =
        encoded(manifest.password, puzzle::kMaxPasswordBytes, args.operand + ": password");
    if (password.problem)
        return Report(*password.problem, console);
    // The file ends its password at the first space: such a password could never be typed.
    if (password.bytes.find(' ') != std::string::npos)
        return Report(failed(args.operand + ": password holds a space, which the file cannot keep"),
                      console);

    if (auto folder = namesAFolder(*args.output))
        return Report(*folder, console);
    const std::string target = puzzle::TargetNameFor(*args.output);
    const std::string exists = target + " exists; --force replaces it";
    if (!args.force && NameIsTaken(target))
        return Report(failed(exists), console);

    const fs::path base = fs::absolute(puzzle::FsPath(args.operand)).parent_path();
    Scratch scratch;
    const PackOptions options{args.convert, args.upright, scratch};
    auto doc = std::make_unique<puzzle::Document>();
    puzzle::ResetDocument(*doc);
    doc->state.vendorFlag = manifest.vendorInfo ? 1 : 0;
    for (size_t i = 0; i < manifest.patterns.size(); ++i) {
        if (i > 0)
            puzzle::AppendPattern(*doc);
        if (auto f = fillPattern(*doc, int(i), manifest.patterns[i], base, options))
            return Report(*f, console);
    }

    // Without --force a file that another program put there meanwhile stays.
    const auto saved = puzzle::SavePuzzleDataFile(
        *doc, *args.output, password.bytes, {}, puzzle::NativeFileSystem(),
        args.force ? puzzle::ExistingTarget::Replace : puzzle::ExistingTarget::Keep);
    if (!saved.saved && saved.message == puzzle::messages::WriteFailed(EEXIST))
        return Report(failed(exists), console);
    if (!saved.saved)
        return Report(
            failed("cannot write " + target + ": " +
                   (saved.message ? MessageLine(saved.message->text) : std::string("cancelled"))),
            console);
    console.print(target + "\n");
    return kExitSuccess;
}

} // namespace pdt::cli
