#pragma once
// A new file written beside its target under the target's name followed by "$$$", and
// put in the target's place in one rename only when it is complete and on the disk.
// Until then the target is untouched; if anything fails, the temporary file goes.

#include "puzzle/file_system.h"

#include <optional>
#include <span>
#include <string>

namespace pdt::puzzle {

inline constexpr char kTemporarySuffix[] = "$$$";
// The longest temporary name the format's tools have ever handled (MAX_PATH without the
// terminator); native limits of the file system apply as well.
inline constexpr std::size_t kMaxTemporaryNameBytes = 259;

// target + "$$$", or nothing when that name would be too long to create.
std::optional<std::string> TemporaryNameFor(const std::string& target);

class ReplacementFile {
  public:
    ReplacementFile(FileSystem& fs, std::string target, std::string temporary);
    ~ReplacementFile(); // abandons an uncommitted file
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file exclusively; a leftover of that name from an earlier
    // crash is removed first (a symbolic link is removed, never followed).
    IoStatus create();
    // Writes all of bytes or fails; a short write is a failure.
    IoStatus write(std::span<const std::uint8_t> bytes);
    // Flushes the file to the disk, closes it and renames it over the target, then makes
    // the rename durable. Once the rename has happened the target is the new file and
    // the result is success, also when the folder cannot be flushed afterwards.
    IoStatus commit();
    // Closes and removes the temporary file (nothing when already committed).
    void abandon();

    const std::string& temporaryName() const { return temporary_; }

  private:
    FileSystem& fs_;
    std::string target_;
    std::string temporary_;
    FileHandle file_ = kNoFile;
    bool created_ = false;
    bool committed_ = false;
};

} // namespace pdt::puzzle
