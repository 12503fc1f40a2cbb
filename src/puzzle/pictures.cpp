#include "puzzle/pictures.h"

#include "puzzle/file_system.h"
#include "puzzle/messages.h"
#include "puzzle/replacement_file.h"
#include "text/cp932.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>
#include <vector>

namespace pdt::puzzle {

namespace {

constexpr std::size_t kChunkSize = std::size_t(1) << 20;
constexpr std::size_t kMaxPathBytes = kTextFieldSize - 1;

bool validPlace(const Document& doc, int index, int slot) {
    return index >= 0 && index <= doc.state.lastIndex && index < kMaxPatterns &&
           (slot == kPuzzleSlot || slot == kFinishedSlot);
}

class Closer {
  public:
    Closer(FileSystem& fs, FileHandle f) : fs_(fs), f_(f) {}
    ~Closer() {
        if (f_ != kNoFile)
            (void)fs_.close(f_);
    }
    Closer(const Closer&) = delete;
    Closer& operator=(const Closer&) = delete;
    FileHandle handle() const { return f_; }
    // Hands the handle back for a close whose result counts.
    FileHandle release() { return std::exchange(f_, kNoFile); }

  private:
    FileSystem& fs_;
    FileHandle f_;
};

ExtractResult failedExtract(UserMessage m) {
    return {false, std::move(m)};
}

// Copies [offset, offset + size) of source through a bounded buffer into write.
template <class Write>
ExtractResult copyRange(FileSystem& fs, FileHandle source, std::uint64_t offset, std::uint64_t size,
                        Write&& write) {
    std::vector<std::uint8_t> buffer(std::size_t(std::min<std::uint64_t>(size, kChunkSize)));
    while (size > 0) {
        const auto want = std::size_t(std::min<std::uint64_t>(size, buffer.size()));
        const auto r = fs.readAt(source, offset, {buffer.data(), want});
        if (!r.ok() || r.value != want)
            return failedExtract(messages::ExtractSourceUnreadable(r.ok() ? EIO : r.error));
        const IoStatus w = write(std::span<const std::uint8_t>(buffer.data(), want));
        if (!w.ok())
            return failedExtract(messages::ExtractFailed(w.error));
        offset += want;
        size -= want;
    }
    return {true, messages::Extracted()};
}

// Writes the range straight into the device at target.
ExtractResult extractToDevice(FileSystem& fs, FileHandle source, std::int32_t offset,
                              std::int32_t size, const std::string& target) {
    const auto device = fs.openDevice(target);
    if (!device.ok())
        return failedExtract(messages::ExtractFailed(device.error));
    Closer out(fs, device.value);
    ExtractResult done =
        copyRange(fs, source, std::uint64_t(offset), std::uint64_t(size),
                  [&](std::span<const std::uint8_t> b) {
                      const auto w = fs.write(device.value, b);
                      return IoStatus{w.ok() && w.value != b.size() ? ENOSPC : w.error};
                  });
    if (!done.extracted)
        return done;
    const IoStatus closed = fs.close(out.release());
    if (!closed.ok())
        return failedExtract(messages::ExtractFailed(closed.error));
    return done;
}

// Writes the range to a new file that then takes target's place.
ExtractResult extractByReplacing(FileSystem& fs, Closer& source, std::int32_t offset,
                                 std::int32_t size, const std::string& target) {
    if (!TemporaryNameFor(target))
        return failedExtract(messages::ExtractNameTooLong());
    ReplacementFile out(fs, target);
    if (const IoStatus made = out.create(); !made.ok())
        return failedExtract(messages::ExtractFailed(made.error));
    ExtractResult done = copyRange(fs, source.handle(), std::uint64_t(offset), std::uint64_t(size),
                                   [&](std::span<const std::uint8_t> b) { return out.write(b); });
    if (!done.extracted)
        return done;
    (void)fs.close(source.release());
    if (const IoStatus committed = out.commit(); !committed.ok())
        return failedExtract(messages::ExtractFailed(committed.error));
    return done;
}

} // namespace

std::optional<UserMessage> AttachPicture(Document& doc, int index, int slot,
                                         const std::string& nativePath) {
    return AttachPicture(doc, index, slot, nativePath, NativeFileSystem());
}

std::optional<UserMessage> AttachPicture(Document& doc, int index, int slot,
                                         const std::string& nativePath, FileSystem& fs) {
    return AttachPictureAs(doc, index, slot, nativePath, nativePath, fs);
}

std::optional<UserMessage> AttachPictureAs(Document& doc, int index, int slot,
                                           const std::string& nativePath,
                                           const std::string& recordedPath, FileSystem& fs) {
    if (!validPlace(doc, index, slot))
        return messages::PictureCannotBeOpened(EINVAL);
    if (nativePath.empty() || recordedPath.empty())
        return messages::PictureCannotBeOpened(ENOENT);
    // A NUL would make the file opened differ from the path recorded.
    const auto stored =
        recordedPath.find('\0') == std::string::npos && nativePath.find('\0') == std::string::npos
            ? text::toCp932(recordedPath)
            : std::nullopt;
    if (!stored)
        return messages::PicturePathNotEncodable();
    if (stored->size() > kMaxPathBytes)
        return messages::PicturePathTooLong();

    const auto opened = fs.openRead(nativePath);
    if (!opened.ok())
        return messages::PictureCannotBeOpened(opened.error);
    const auto size = fs.size(opened.value);
    (void)fs.close(opened.value);
    if (!size.ok())
        return messages::PictureCannotBeOpened(size.error);
    if (size.value > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
        return messages::PictureTooLarge();

    PatternRecord& r = doc.pattern(index);
    setFieldText(slotPath(r, slot), *stored);
    slotOffset(r, slot) = 0;
    slotSize(r, slot) = std::int32_t(size.value);
    r.sourceFiles[size_t(slot)] = nativePath;
    return std::nullopt;
}

std::optional<UserMessage> CheckExtract(const Document& doc, int index, int slot) {
    if (!validPlace(doc, index, slot))
        return messages::NotJoinedYet();
    const PatternRecord& r = doc.pattern(index);
    if (slotOffset(r, slot) == 0)
        return messages::NotJoinedYet();
    if (fieldText(slotPath(r, slot)).empty())
        return messages::NoPictureSet();
    if (slotSize(r, slot) == 0)
        return messages::InvalidPictureSize();
    return std::nullopt;
}

std::string DefaultExtractName(const Document& doc, int index, int slot) {
    if (!validPlace(doc, index, slot))
        return {};
    // Decoded first: in code page 932 the byte of '\' is also the second byte of some
    // double-byte characters, which must not count as separators.
    const std::string path = text::fromCp932(fieldText(slotPath(doc.pattern(index), slot)));
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

ExtractResult ExtractPicture(const Document& doc, int index, int slot, const std::string& target) {
    return ExtractPicture(doc, index, slot, target, NativeFileSystem());
}

ExtractResult ExtractPicture(const Document& doc, int index, int slot, const std::string& target,
                             FileSystem& fs) {
    if (auto refusal = CheckExtract(doc, index, slot))
        return failedExtract(*refusal);
    const PatternRecord& r = doc.pattern(index);
    const std::int32_t offset = slotOffset(r, slot);
    const std::int32_t size = slotSize(r, slot);
    if (offset < 0 || size < 0)
        return failedExtract(messages::PictureOutsideFile());

    const auto opened = fs.openRead(doc.state.currentFilePath);
    if (!opened.ok())
        return failedExtract(messages::ExtractSourceUnreadable(opened.error));
    Closer source(fs, opened.value);
    const auto length = fs.size(opened.value);
    if (!length.ok())
        return failedExtract(messages::ExtractSourceUnreadable(length.error));
    if (std::uint64_t(offset) + std::uint64_t(size) > length.value)
        return failedExtract(messages::PictureOutsideFile());

    const auto there = fs.status(target);
    if (!there.ok())
        return failedExtract(messages::ExtractFailed(there.error));
    using Kind = FileStatus::Kind;
    if (there.value.kind == Kind::Directory)
        return failedExtract(messages::ExtractTargetIsFolder());

    if (there.value.kind == Kind::Other) {
        // A device or a pipe cannot be replaced by a rename; it is what the user named.
        return extractToDevice(fs, opened.value, offset, size, target);
    }

    if (there.value.kind == Kind::Regular) {
        const auto current = fs.status(doc.state.currentFilePath);
        if (!current.ok())
            return failedExtract(messages::ExtractSourceUnreadable(current.error));
        if (there.value.sameFileAs(current.value))
            return failedExtract(messages::ExtractOverCurrentFile());
    }

    return extractByReplacing(fs, source, offset, size, target);
}

} // namespace pdt::puzzle
