#include "puzzle/save.h"

#include "puzzle/file_system.h"
#include "puzzle/format.h"
#include "puzzle/messages.h"
#include "puzzle/replacement_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <memory>
#include <vector>

namespace pdt::puzzle {

namespace {

// Picture bytes travel through one buffer of this size, whatever the picture sizes.
constexpr std::size_t kChunkSize = std::size_t(1) << 20;
constexpr std::uint64_t kMaxFileSize = std::uint64_t(std::numeric_limits<std::int32_t>::max());

// An empty file name, "." or "..": the name of a folder, whatever is appended to it.
bool namesAFolder(std::string_view chosen) {
    const std::string name = FileNameOf(std::string(chosen));
    return name.empty() || name == "." || name == "..";
}

bool endsWithAdx(std::string_view name) {
    if (name.size() < 4)
        return false;
    const std::string_view tail = name.substr(name.size() - 4);
    static constexpr char kUpper[] = ".ADX";
    for (size_t i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != kUpper[i])
            return false;
    }
    return true;
}

// Where one picture of the new file comes from.
struct PictureSource {
    int pattern = 0; // zero-based
    int slot = 0;
    bool fromCurrentFile = false;
    std::string file; // its own file; unused for the current file
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

class ReadHandle {
  public:
    explicit ReadHandle(FileSystem& fs) : fs_(fs) {}
    ~ReadHandle() { reset(); }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;

    int open(const std::string& path) {
        reset();
        const auto r = fs_.openRead(path);
        if (r.ok())
            file_ = r.value;
        return r.error;
    }
    void reset() {
        if (file_ != kNoFile)
            (void)fs_.close(file_); // nothing was written through it: its close cannot lose data
        file_ = kNoFile;
    }
    FileHandle get() const { return file_; }
    explicit operator bool() const { return file_ != kNoFile; }

  private:
    FileSystem& fs_;
    FileHandle file_ = kNoFile;
};

// Everything a save decides before it touches the disk.
struct SavePlan {
    std::string target;
    std::unique_ptr<PatternTable> table; // the table as it will be once the file is in place
    std::vector<PictureSource> pictures; // in file order
    std::uint64_t totalBytes = 0;
};

// The document's current file, opened and measured when a picture first needs it. The
// handle stays open for the copy.
class CurrentFile {
  public:
    CurrentFile(const std::string& path, FileSystem& fs, ReadHandle& handle)
        : path_(path), fs_(fs), handle_(handle) {}

    // Whether size bytes at offset can be read from it.
    bool holds(std::int32_t offset, std::int32_t size) {
        if (!tried_) {
            tried_ = true;
            error_ = handle_.open(path_);
            if (error_ == 0) {
                const auto n = fs_.size(handle_.get());
                error_ = n.error;
                size_ = n.value;
            }
        }
        return error_ == 0 && offset >= 0 && std::uint64_t(offset) + std::uint64_t(size) <= size_;
    }

  private:
    const std::string& path_;
    FileSystem& fs_;
    ReadHandle& handle_;
    bool tried_ = false;
    int error_ = 0;
    std::uint64_t size_ = 0;
};

// Where the picture of src.slot of pattern src.pattern comes from, and its size; a refusal
// when it cannot be read whole.
std::optional<UserMessage> planPicture(const Document& doc, FileSystem& fs, CurrentFile& current,
                                       PictureSource& src) {
    const PatternRecord& record = doc.pattern(src.pattern);
    const std::int32_t storedSize = slotSize(record, src.slot);
    const auto unreadable = messages::PictureUnreadable(src.pattern + 1, src.slot);
    if (storedSize < 0)
        return unreadable;
    const std::int32_t offset = slotOffset(record, src.slot);
    if (offset != 0) {
        if (!current.holds(offset, storedSize))
            return unreadable;
        src.fromCurrentFile = true;
        src.offset = std::uint64_t(offset);
        src.size = std::uint64_t(storedSize);
        return std::nullopt;
    }
    // Its own file, saved whole at the size it has now. Measured here without opening it;
    // a file that then cannot be read still fails the save before the target is touched.
    src.file = SlotSource(doc, src.pattern, src.slot).file;
    if (src.file.empty())
        return unreadable;
    const auto own = fs.status(src.file);
    if (!own.ok() || own.value.kind != FileStatus::Kind::Regular || own.value.size == 0)
        return unreadable;
    if (own.value.size > kMaxFileSize)
        return messages::FileTooLarge();
    src.size = own.value.size;
    return std::nullopt;
}

// The record as it will be in the new file, at running, its pictures right after it.
void placeRecord(PatternRecord& planned, std::uint8_t vendorFlag, std::uint64_t running,
                 const std::array<std::uint64_t, 2>& sizes) {
    planned.recordSize = std::int32_t(kRecordSize);
    planned.vendorInfo = vendorFlag;
    planned.recordOffset = std::int32_t(running);
    planned.puzzleImageSize = std::int32_t(sizes[0]);
    planned.finishedImageSize = std::int32_t(sizes[1]);
    planned.puzzleImageOffset = std::int32_t(running + kRecordSize);
    planned.finishedImageOffset = std::int32_t(running + kRecordSize + sizes[0]);
    // From now on every picture of the pattern is a range of the new file.
    planned.sourceFiles = {};
}

// Sizes and sources of every picture, checked before anything is written: a picture that
// cannot be read whole refuses the save instead of being written as zeros.
std::optional<UserMessage> planPictures(const Document& doc, FileSystem& fs,
                                        ReadHandle& currentFile, SavePlan& plan) {
    CurrentFile current(doc.state.currentFilePath, fs, currentFile);
    std::uint64_t running = kHeaderSize;

    for (int j = 0; j <= doc.state.lastIndex; ++j) {
        std::array<std::uint64_t, 2> sizes{};
        for (int slot = 0; slot < 2; ++slot) {
            if (slotSize(doc.pattern(j), slot) == 0)
                continue;
            PictureSource src;
            src.pattern = j;
            src.slot = slot;
            if (auto refusal = planPicture(doc, fs, current, src))
                return refusal;
            sizes[size_t(slot)] = src.size;
            plan.pictures.push_back(std::move(src));
        }
        placeRecord((*plan.table)[size_t(j)], doc.state.vendorFlag, running, sizes);
        running += kRecordSize + sizes[0] + sizes[1];
        if (running > kMaxFileSize)
            return messages::FileTooLarge();
    }
    plan.totalBytes = running;
    return std::nullopt;
}

enum class CopyOutcome { Done, ReadFailed, WriteFailed, Cancelled };

// Writes the header and each record as they are and copies each picture from its source
// in chunks of at most kChunkSize through one buffer: the write pattern of a plain
// concatenation, with memory bounded whatever the picture sizes.
class StreamWriter {
  public:
    StreamWriter(ReplacementFile& out, std::uint64_t total, std::uint64_t largestPicture,
                 const SaveProgress& progress)
        : out_(out), buffer_(std::size_t(std::min<std::uint64_t>(largestPicture, kChunkSize))),
          total_(total), progress_(progress) {}

    int error() const { return error_; }

    CopyOutcome write(std::span<const std::uint8_t> bytes) {
        const IoStatus w = out_.write(bytes);
        if (!w.ok()) {
            error_ = w.error;
            return CopyOutcome::WriteFailed;
        }
        written_ += bytes.size();
        if (progress_ && !progress_(written_, total_))
            return CopyOutcome::Cancelled;
        return CopyOutcome::Done;
    }

    // Copies size bytes at offset of an open source.
    CopyOutcome copy(FileSystem& fs, FileHandle source, std::uint64_t offset, std::uint64_t size) {
        while (size > 0) {
            const auto want = std::size_t(std::min<std::uint64_t>(buffer_.size(), size));
            const auto r = fs.readAt(source, offset, {buffer_.data(), want});
            if (!r.ok() || r.value != want) {
                error_ = r.ok() ? EIO : r.error;
                return CopyOutcome::ReadFailed;
            }
            if (const auto o = write({buffer_.data(), want}); o != CopyOutcome::Done)
                return o;
            offset += want;
            size -= want;
        }
        return CopyOutcome::Done;
    }

  private:
    ReplacementFile& out_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t written_ = 0;
    std::uint64_t total_;
    const SaveProgress& progress_;
    int error_ = 0;
};

// One picture into the new file, from the current file or from its own.
CopyOutcome copyPicture(StreamWriter& writer, FileSystem& fs, const PictureSource& src,
                        const ReadHandle& currentFile) {
    if (src.fromCurrentFile)
        return writer.copy(fs, currentFile.get(), src.offset, src.size);
    ReadHandle own(fs);
    return own.open(src.file) == 0 ? writer.copy(fs, own.get(), 0, src.size)
                                   : CopyOutcome::ReadFailed;
}

// How the writing ended, and the picture it was at.
struct WriteOutcome {
    CopyOutcome outcome = CopyOutcome::Done;
    int failedPattern = 0; // one-based
    int failedSlot = 0;
};

// The header, then each record followed by its pictures.
WriteOutcome writeContents(StreamWriter& writer, FileSystem& fs, const Document& doc,
                           const SavePlan& plan, const ReadHandle& currentFile,
                           std::string_view passwordCp932) {
    WriteOutcome w;
    const auto header = EncodeHeader(doc.patternCount(), passwordCp932);
    w.outcome = writer.write(header);
    size_t nextPicture = 0;
    for (int j = 0; j <= doc.state.lastIndex && w.outcome == CopyOutcome::Done; ++j) {
        const auto record = EncodeRecord((*plan.table)[size_t(j)]);
        w.outcome = writer.write(record);
        for (; nextPicture < plan.pictures.size() && w.outcome == CopyOutcome::Done &&
               plan.pictures[nextPicture].pattern == j;
             ++nextPicture) {
            const PictureSource& src = plan.pictures[nextPicture];
            w.failedPattern = j + 1;
            w.failedSlot = src.slot;
            w.outcome = copyPicture(writer, fs, src, currentFile);
        }
    }
    return w;
}

std::uint64_t largestPictureOf(const SavePlan& plan) {
    std::uint64_t largest = 0;
    for (const PictureSource& src : plan.pictures)
        largest = std::max(largest, src.size);
    return largest;
}

// The refusals that need neither the disk nor the pictures.
std::optional<UserMessage> refusalBeforeSave(const Document& doc, std::string_view chosenName,
                                             std::string_view passwordCp932) {
    if (doc.state.lastIndex < 0 || doc.state.lastIndex >= kMaxPatterns)
        return messages::WriteFailed(EINVAL);
    if (auto missing = CheckPatternsBeforeSave(doc))
        return std::move(missing->message);
    if (passwordCp932.size() > kPasswordFieldSize)
        return messages::PasswordTooLong();
    if (namesAFolder(chosenName))
        return messages::SaveTargetNotAFile();
    return std::nullopt;
}

// A target whose temporary name would be too long, that cannot be looked at, or that is
// not a file.
std::optional<UserMessage> targetRefusal(FileSystem& fs, const std::string& target) {
    if (!TemporaryNameFor(target))
        return messages::SaveNameTooLong();
    const auto targetStatus = fs.status(target);
    if (!targetStatus.ok())
        return messages::CreateFailed(targetStatus.error);
    if (targetStatus.value.kind == FileStatus::Kind::Directory ||
        targetStatus.value.kind == FileStatus::Kind::Other)
        return messages::SaveTargetNotAFile();
    return std::nullopt;
}

SaveResult failed(UserMessage m) {
    return {false, false, std::move(m)};
}

} // namespace

std::optional<MissingPicture> CheckPatternsBeforeSave(const Document& doc) {
    for (int i = 0; i <= doc.state.lastIndex; ++i) {
        const PatternRecord& r = doc.pattern(i);
        if (std::int64_t(r.puzzleImageSize) + r.finishedImageSize == 0)
            return MissingPicture{i, messages::PatternWithoutPicture(i + 1)};
    }
    return std::nullopt;
}

std::string TargetNameFor(std::string_view chosen) {
    std::string target(chosen);
    if (!endsWithAdx(chosen))
        target += ".ADX";
    return target;
}

SaveResult SavePuzzleDataFile(Document& doc, std::string_view chosenName,
                              std::string_view passwordCp932, const SaveProgress& progress) {
    return SavePuzzleDataFile(doc, chosenName, passwordCp932, progress, NativeFileSystem());
}

SaveResult SavePuzzleDataFile(Document& doc, std::string_view chosenName,
                              std::string_view passwordCp932, const SaveProgress& progress,
                              FileSystem& fs, ExistingTarget existing) {
    if (auto refusal = refusalBeforeSave(doc, chosenName, passwordCp932))
        return failed(std::move(*refusal));

    SavePlan plan;
    plan.target = TargetNameFor(chosenName);
    if (auto refusal = targetRefusal(fs, plan.target))
        return failed(std::move(*refusal));

    // The document changes only once the new file is in place; until then the save
    // works on a copy of the table.
    plan.table = std::make_unique<PatternTable>(doc.table);
    ReadHandle currentFile(fs);
    if (auto refusal = planPictures(doc, fs, currentFile, plan))
        return failed(*refusal);

    ReplacementFile out(fs, plan.target);
    if (const IoStatus made = out.create(); !made.ok())
        return failed(messages::CreateFailed(made.error));

    StreamWriter writer(out, plan.totalBytes, largestPictureOf(plan), progress);
    const WriteOutcome written = writeContents(writer, fs, doc, plan, currentFile, passwordCp932);
    switch (written.outcome) {
    case CopyOutcome::Done:
        break;
    case CopyOutcome::ReadFailed:
        return failed(messages::PictureUnreadable(written.failedPattern, written.failedSlot));
    case CopyOutcome::WriteFailed:
        return failed(messages::WriteFailed(writer.error()));
    case CopyOutcome::Cancelled:
        return {false, true, std::nullopt};
    }

    // The current file may be the target itself: let go of it before replacing it.
    currentFile.reset();
    if (const IoStatus committed = out.commit(existing); !committed.ok())
        return failed(messages::WriteFailed(committed.error));

    doc.table = *plan.table;
    doc.state.password.assign(passwordCp932);
    doc.state.currentFilePath = plan.target;
    return {true, false, messages::Saved()};
}

} // namespace pdt::puzzle
