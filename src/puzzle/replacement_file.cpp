#include "puzzle/replacement_file.h"

#include <cerrno>
#include <climits>
#include <string_view>

namespace pdt::puzzle {

#ifdef _WIN32
namespace {
// The length of UTF-8 text in UTF-16 units, the measure of Windows' names.
std::size_t utf16Length(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        n += (b & 0xC0) == 0x80 ? 0 : b >= 0xF0 ? 2 : 1;
    }
    return n;
}
} // namespace
#endif

std::optional<std::string> TemporaryNameFor(const std::string& target) {
    std::string temporary = target + kTemporarySuffix;
    if (temporary.size() > kMaxTemporaryNameBytes)
        return std::nullopt;
#ifdef _WIN32
    // Windows' file systems take 255 UTF-16 units in one name.
    if (utf16Length(FileNameOf(temporary)) > 255)
        return std::nullopt;
#endif
#if defined(NAME_MAX) && defined(PATH_MAX)
    if (FileNameOf(temporary).size() > NAME_MAX || temporary.size() >= PATH_MAX)
        return std::nullopt;
#endif
    return temporary;
}

ReplacementFile::ReplacementFile(FileSystem& fs, std::string target, std::string temporary)
    : fs_(fs), target_(std::move(target)), temporary_(std::move(temporary)) {}

ReplacementFile::~ReplacementFile() {
    abandon();
}

IoStatus ReplacementFile::create() {
    auto made = fs_.create(temporary_, CreateMode::Exclusive);
    if (made.error == EEXIST) {
        // A leftover of an earlier save that did not finish. A folder of that name is
        // not ours to remove, and removing it would fail anyway.
        const IoStatus gone = fs_.remove(temporary_);
        if (!gone.ok())
            return gone;
        made = fs_.create(temporary_, CreateMode::Exclusive);
    }
    if (!made.ok())
        return {made.error};
    file_ = made.value;
    created_ = true;
    return {};
}

IoStatus ReplacementFile::write(std::span<const std::uint8_t> bytes) {
    const auto r = fs_.write(file_, bytes);
    if (!r.ok())
        return {r.error};
    if (r.value != bytes.size())
        return {ENOSPC};
    return {};
}

IoStatus ReplacementFile::commit() {
    const IoStatus synced = fs_.sync(file_);
    if (!synced.ok())
        return synced;
    const FileHandle f = file_;
    file_ = kNoFile;
    // A failed close can mean that written data never reached the disk (NFS, quotas).
    const IoStatus closed = fs_.close(f);
    if (!closed.ok())
        return closed;
    const IoStatus renamed = fs_.rename(temporary_, target_);
    if (!renamed.ok())
        return renamed;
    committed_ = true;
    // The target already is the new file; a folder that cannot be flushed cannot undo
    // that, so this result does not decide the outcome.
    fs_.syncDirectory(DirectoryOf(target_));
    return {};
}

void ReplacementFile::abandon() {
    if (committed_ || !created_)
        return;
    if (file_ != kNoFile) {
        fs_.close(file_);
        file_ = kNoFile;
    }
    fs_.remove(temporary_);
    created_ = false;
}

} // namespace pdt::puzzle
