#pragma once
// Writing files into one chosen folder and nowhere else. Every name is a single name
// inside the folder, opened relative to the folder's own descriptor (on Windows: inside a
// folder held open so that it cannot be renamed or removed meanwhile); files are created
// exclusively and never through a symbolic link, and a replacement is written under a
// temporary name and renamed over the old entry (which replaces a link, never follows it).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <sys/types.h>

namespace pdt::cli {

class OutputFile {
  public:
    ~OutputFile(); // an uncommitted file is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Each returns 0 or an errno value. A short write is a failure.
    int write(std::span<const std::uint8_t> bytes);
    // Flushes to disk, closes and, for a replacement, renames into place.
    int commit();

  private:
    friend class OutputFolder;
    using Handle = std::intptr_t; // a descriptor, or a Windows HANDLE

    OutputFile(Handle folder, Handle fd, std::string written, std::string final)
        : folder_(folder), fd_(fd), written_(std::move(written)), final_(std::move(final)) {}
    Handle folder_;
    Handle fd_;
    std::string written_; // the name the bytes go to
    std::string final_;   // differs from written_ for a replacement
    bool committed_ = false;
};

class OutputFolder {
  public:
    // Opens the folder, creating it (one level) when it does not exist. Gives nothing,
    // with error set, when it cannot.
    static std::unique_ptr<OutputFolder> open(const std::string& path, int& error);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // True when anything, a dangling symbolic link included, has this name.
    bool has(const std::string& name) const;

    // A new file of that name. Without replace, an existing entry fails with EEXIST.
    // name must be a single file name: no '/' (on Windows neither '\\' nor ':'), not "."
    // or "..". The mode is a POSIX one; Windows files inherit the folder's permissions.
    std::unique_ptr<OutputFile> create(const std::string& name, bool replace, mode_t mode,
                                       int& error);

    // Makes the folder's new entries durable.
    int sync();

  private:
    using Handle = OutputFile::Handle;

    OutputFolder(Handle fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    Handle fd_;
    std::string path_; // Windows names files by the folder's path
};

// True when anything, a dangling symbolic link included, has this path.
bool NameIsTaken(const std::string& path);

// Shared by both systems' implementations.
namespace output_names {
bool isSingleName(const std::string& name);
std::string temporaryNameFor(const std::string& name);
} // namespace output_names

} // namespace pdt::cli
