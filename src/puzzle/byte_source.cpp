#include "puzzle/byte_source.h"

#include <algorithm>

#ifdef _WIN32
#include "puzzle/file_system.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pdt::puzzle {

bool MemoryByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
        return false;
    std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
    return true;
}

#ifndef _WIN32

std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path) {
    // O_NONBLOCK so that a FIFO cannot hang the open; it is refused just below. On a
    // regular file the flag changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, std::uint64_t(st.st_size)));
}

FileByteSource::~FileByteSource() {
    ::close(fd_);
}

bool FileByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

#else // _WIN32

// The native file system already reads through UTF-16 names and OVERLAPPED offsets and
// refuses what is not a file on a disk.
std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path) {
    FileSystem& fs = NativeFileSystem();
    const auto file = fs.openRead(path);
    if (!file.ok())
        return nullptr;
    const auto size = fs.size(file.value);
    if (!size.ok()) {
        (void)fs.close(file.value);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(file.value, size.value));
}

FileByteSource::~FileByteSource() {
    (void)NativeFileSystem().close(fd_);
}

bool FileByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    const auto r = NativeFileSystem().readAt(fd_, offset, out);
    return r.ok() && r.value == out.size();
}

#endif

} // namespace pdt::puzzle
