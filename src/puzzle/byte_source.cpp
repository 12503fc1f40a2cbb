#include "puzzle/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pdt::puzzle {

bool MemoryByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
        return false;
    std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
    return true;
}

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

FileByteSource::~FileByteSource() { ::close(fd_); }

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

} // namespace pdt::puzzle
