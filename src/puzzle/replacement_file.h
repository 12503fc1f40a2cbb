#pragma once
// A new file written beside its target under a temporary name of its own, and put in the
// target's place in one rename only when it is complete and on the disk. Until then the
// target is untouched; if anything fails, the temporary file goes. Each writer has its
// own temporary file, so writers to the same target never touch each other's files.

#include "puzzle/file_system.h"

#include <optional>
#include <span>
#include <string>

namespace pdt::puzzle {

// Every temporary name ends so, so that a leftover of a crash is recognisable.
inline constexpr char kTemporarySuffix[] = "$$$";
// The longest temporary name the format's tools have ever handled (MAX_PATH without the
// terminator); native limits of the file system apply as well.
inline constexpr std::size_t kMaxTemporaryNameBytes = 259;

// target + "$$$", the one temporary name every save once used, or nothing when that name
// would be too long to create. Only its length still counts: a target refused here is
// refused by every tool that ever wrote the format. A leftover of that name is never
// removed, since the writer that made it may still be running.
std::optional<std::string> TemporaryNameFor(const std::string& target);

// What the final rename does with a file already at the target.
enum class ExistingTarget { Replace, Keep };

class ReplacementFile {
  public:
    ReplacementFile(FileSystem& fs, std::string target);
    ~ReplacementFile(); // abandons an uncommitted file
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates a temporary file of a new name beside the target, exclusively (never through
    // a symbolic link, never over anything), trying another name while the name is taken.
    IoStatus create();
    // Writes all of bytes or fails; a short write is a failure.
    IoStatus write(std::span<const std::uint8_t> bytes);
    // Flushes the file to the disk, closes it and renames it over the target, then makes
    // the rename durable. Once the rename has happened the target is the new file and
    // the result is success, also when the folder cannot be flushed afterwards. With Keep,
    // a file at the target stays and the result is EEXIST.
    IoStatus commit(ExistingTarget existing = ExistingTarget::Replace);
    // Closes and removes the temporary file (nothing when already committed).
    void abandon();

  private:
    FileSystem& fs_;
    std::string target_;
    std::string temporary_;
    FileHandle file_ = kNoFile;
    bool created_ = false;
    bool committed_ = false;
};

} // namespace pdt::puzzle
