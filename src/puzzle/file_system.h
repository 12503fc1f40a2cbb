#pragma once
// The engine's only way to the disk. Every open, read, write, flush, close, rename and
// removal of a save or an extraction goes through a FileSystem, so that tests can make
// any single call fail and check that nothing is left half done.
//
// Paths are native: UTF-8 on every platform (the Windows implementation widens them).
// Errors are errno values; the Windows implementation maps its own codes onto them.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

// The Windows C runtime has no number for an exceeded disk quota; it gets the one
// Windows sockets use, so that it still reads as what it is.
#if defined(_WIN32) && !defined(EDQUOT)
#define EDQUOT 10069
#endif

namespace pdt::puzzle {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

struct [[nodiscard]] IoStatus {
    int error = 0; // 0 for success, else an errno value

    bool ok() const { return error == 0; }
};

template <class T> struct [[nodiscard]] IoResult {
    T value{};
    int error = 0;

    bool ok() const { return error == 0; }
    static IoResult failure(int e) { return {T{}, e}; }
};

struct FileStatus {
    enum class Kind { Missing, Regular, Directory, Other };
    Kind kind = Kind::Missing;
    std::uint64_t size = 0;
    // The last change of its contents, in nanoseconds since 1970; what a rewrite moves on.
    std::int64_t modified = 0;
    // Together they name one file, whatever path leads to it.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool sameFileAs(const FileStatus& o) const {
        return kind != Kind::Missing && o.kind != Kind::Missing && device == o.device &&
               inode == o.inode;
    }
};

enum class CreateMode {
    Exclusive, // fails with EEXIST when anything of that name exists
    Replace,   // truncates an existing regular file
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // An existing regular file, for reading. A directory, FIFO or device is refused
    // (without blocking on a FIFO).
    virtual IoResult<FileHandle> openRead(const std::string& path) = 0;
    // A regular file for writing, never through a symbolic link.
    virtual IoResult<FileHandle> create(const std::string& path, CreateMode mode) = 0;
    // An existing file that is not a regular file (a device, say), for writing; it is
    // neither created nor truncated.
    virtual IoResult<FileHandle> openDevice(const std::string& path) = 0;

    virtual IoResult<std::uint64_t> size(FileHandle file) = 0;
    // Fewer bytes than asked only at the end of the file.
    virtual IoResult<std::size_t> readAt(FileHandle file, std::uint64_t offset,
                                         std::span<std::uint8_t> out) = 0;
    // Appends at the file position. Writes everything unless an error stops it; the
    // count says how much went out before that.
    virtual IoResult<std::size_t> write(FileHandle file, std::span<const std::uint8_t> bytes) = 0;
    virtual IoStatus sync(FileHandle file) = 0;
    // The handle is gone afterwards even when an error is reported.
    virtual IoStatus close(FileHandle file) = 0;

    // Puts `from` in the place of `to` in one step: `to` is at every instant either
    // the old file or the new one.
    virtual IoStatus rename(const std::string& from, const std::string& to) = 0;
    // Puts `from` at `to` only when no file of that name exists, else fails with EEXIST.
    // This default looks first and then renames, which is enough when no other process
    // writes there; the native file system does it in one step.
    virtual IoStatus renameNoReplace(const std::string& from, const std::string& to);
    // Removes a name (a symbolic link itself, never its target).
    virtual IoStatus remove(const std::string& path) = 0;
    // Makes a folder that only its owner may read (its parent must exist); EEXIST when the
    // name is taken.
    virtual IoStatus makeDirectory(const std::string& path) = 0;
    // Removes a folder, and only an empty one.
    virtual IoStatus removeDirectory(const std::string& path) = 0;
    // Makes a rename in the folder durable.
    virtual IoStatus syncDirectory(const std::string& directory) = 0;
    // Follows symbolic links. A missing file is a status, not an error.
    virtual IoResult<FileStatus> status(const std::string& path) = 0;
};

// The operating system's files.
FileSystem& NativeFileSystem();

// The folder part of a path ("." when it has none), for syncDirectory.
std::string DirectoryOf(const std::string& path);

// The last component of a path.
std::string FileNameOf(const std::string& path);

// A std::filesystem path of a UTF-8 path, and back. On Windows the standard library reads and
// writes a narrow string in the ANSI code page, which lacks most characters.
inline std::filesystem::path FsPath(const std::string& utf8) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return utf8;
#endif
}

inline std::string Utf8Of(const std::filesystem::path& p) {
#ifdef _WIN32
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
#else
    return p.string();
#endif
}

#ifdef _WIN32
// For the other code that meets Windows: the UTF-16 form of a UTF-8 path (nothing for
// text that is not UTF-8 or holds a NUL), and the errno value of a Windows error code.
std::optional<std::wstring> WidePath(const std::string& utf8);
int ErrnoOfWindowsError(unsigned long code);
#endif

} // namespace pdt::puzzle
