#include "cli/output_folder.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pdt::cli {

namespace output_names {

bool isSingleName(const std::string& name) {
#ifdef _WIN32
    // A second separator, and the colon of a drive or an alternate data stream.
    if (name.find_first_of("\\:") != std::string::npos)
        return false;
#endif
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string temporaryNameFor(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    static std::random_device device;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%04x.tmp", unsigned(device()),
                  unsigned(counter++ & 0xFFFF));
    return "." + name + suffix;
}

} // namespace output_names

#ifndef _WIN32

using output_names::isSingleName;
using output_names::temporaryNameFor;

OutputFile::~OutputFile() {
    if (committed_)
        return;
    if (fd_ >= 0)
        close(int(fd_));
    unlinkat(int(folder_), written_.c_str(), 0);
}

int OutputFile::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(int(fd_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        bytes = bytes.subspan(size_t(n));
    }
    return 0;
}

int OutputFile::commit() {
    if (fsync(int(fd_)) != 0)
        return errno;
    const int fd = int(fd_);
    fd_ = -1;
    if (close(fd) != 0)
        return errno;
    if (written_ != final_ &&
        renameat(int(folder_), written_.c_str(), int(folder_), final_.c_str()) != 0)
        return errno;
    committed_ = true;
    return 0;
}

std::unique_ptr<OutputFolder> OutputFolder::open(const std::string& path, int& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
            error = errno;
            return nullptr;
        }
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    return std::unique_ptr<OutputFolder>(new OutputFolder(fd, path));
}

OutputFolder::~OutputFolder() {
    close(int(fd_));
}

bool OutputFolder::has(const std::string& name) const {
    struct stat st {};
    return fstatat(int(fd_), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

bool NameIsTaken(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::unique_ptr<OutputFile> OutputFolder::create(const std::string& name, bool replace, mode_t mode,
                                                 int& error) {
    if (!isSingleName(name)) {
        error = EINVAL;
        return nullptr;
    }
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    if (!replace) {
        const int fd = openat(int(fd_), name.c_str(), kFlags, mode);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        return std::unique_ptr<OutputFile>(new OutputFile(fd_, fd, name, name));
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = temporaryNameFor(name);
        const int fd = openat(int(fd_), temporary.c_str(), kFlags, mode);
        if (fd >= 0)
            return std::unique_ptr<OutputFile>(new OutputFile(fd_, fd, temporary, name));
        if (errno != EEXIST) {
            error = errno;
            return nullptr;
        }
    }
    error = EEXIST;
    return nullptr;
}

int OutputFolder::sync() {
    return fsync(int(fd_)) == 0 ? 0 : errno;
}

#endif // !_WIN32

} // namespace pdt::cli
