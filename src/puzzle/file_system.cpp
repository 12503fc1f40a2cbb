#include "puzzle/file_system.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pdt::puzzle {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
#else
constexpr std::string_view kSeparators = "/";
#endif

} // namespace

std::string DirectoryOf(const std::string& path) {
    const auto cut = path.find_last_of(kSeparators);
    if (cut == std::string::npos)
        return ".";
    if (cut == 0)
        return path.substr(0, 1);
    return path.substr(0, cut);
}

std::string FileNameOf(const std::string& path) {
    const auto cut = path.find_last_of(kSeparators);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

IoStatus FileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    const auto there = status(to);
    if (!there.ok())
        return {there.error};
    if (there.value.kind != FileStatus::Kind::Missing)
        return {EEXIST};
    return rename(from, to);
}

#ifndef _WIN32

namespace {

FileStatus statusOf(const struct stat& st) {
    FileStatus s;
    s.kind = S_ISREG(st.st_mode)   ? FileStatus::Kind::Regular
             : S_ISDIR(st.st_mode) ? FileStatus::Kind::Directory
                                   : FileStatus::Kind::Other;
    s.size = std::uint64_t(st.st_size);
    s.modified = std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    s.device = std::uint64_t(st.st_dev);
    s.inode = std::uint64_t(st.st_ino);
    return s;
}

class PosixFileSystem final : public FileSystem {
  public:
    IoResult<FileHandle> openRead(const std::string& path) override {
        // O_NONBLOCK so that a FIFO cannot hang the open; it is refused just below. On a
        // regular file the flag changes nothing, so it stays.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return IoResult<FileHandle>::failure(errno);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            const int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            ::close(fd);
            return IoResult<FileHandle>::failure(e);
        }
        return {fd, 0};
    }

    IoResult<FileHandle> create(const std::string& path, CreateMode mode) override {
        const int how = mode == CreateMode::Exclusive ? O_EXCL : O_TRUNC;
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | how, 0666);
        if (fd < 0)
            return IoResult<FileHandle>::failure(errno);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return IoResult<FileHandle>::failure(EINVAL);
        }
        return {fd, 0};
    }

    IoResult<FileHandle> openDevice(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return IoResult<FileHandle>::failure(errno);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return IoResult<FileHandle>::failure(EINVAL);
        }
        return {fd, 0};
    }

    IoResult<std::uint64_t> size(FileHandle file) override {
        struct stat st {};
        if (::fstat(int(file), &st) != 0)
            return IoResult<std::uint64_t>::failure(errno);
        return {std::uint64_t(st.st_size), 0};
    }

    IoResult<std::size_t> readAt(FileHandle file, std::uint64_t offset,
                                 std::span<std::uint8_t> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n =
                ::pread(int(file), out.data() + done, out.size() - done, off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return {done, errno};
            if (n == 0)
                break;
            done += std::size_t(n);
        }
        return {done, 0};
    }

    IoResult<std::size_t> write(FileHandle file, std::span<const std::uint8_t> bytes) override {
        // A regular file takes a short write only when it cannot take more (a full disk,
        // a size limit); the next call then reports why.
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(int(file), bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return {done, errno};
            if (n == 0)
                return {done, ENOSPC};
            done += std::size_t(n);
        }
        return {done, 0};
    }

    IoStatus sync(FileHandle file) override {
        // Never retried: after a failed fsync the kernel may have dropped the dirty pages,
        // and a second call would report success for data that is gone.
        if (::fsync(int(file)) != 0)
            return {errno};
        return {};
    }

    IoStatus close(FileHandle file) override {
        // Not retried on EINTR: the descriptor is released whatever close returns.
        if (::close(int(file)) != 0 && errno != EINTR)
            return {errno};
        return {};
    }

    IoStatus rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return {errno};
        return {};
    }

    IoStatus renameNoReplace(const std::string& from, const std::string& to) override {
#ifdef RENAME_NOREPLACE
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return {};
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return {errno};
#endif
        // Where the file system cannot rename without replacing: a new link cannot replace
        // anything either, and the old name then goes.
        if (::link(from.c_str(), to.c_str()) != 0)
            return {errno};
        ::unlink(from.c_str());
        return {};
    }

    IoStatus remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0)
            return {errno};
        return {};
    }

    IoStatus makeDirectory(const std::string& path) override {
        if (::mkdir(path.c_str(), 0700) != 0)
            return {errno};
        return {};
    }

    IoStatus removeDirectory(const std::string& path) override {
        if (::rmdir(path.c_str()) != 0)
            return {errno};
        return {};
    }

    IoStatus syncDirectory(const std::string& directory) override {
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return {errno};
        const int r = ::fsync(fd);
        const int e = errno;
        ::close(fd);
        return {r == 0 ? 0 : e};
    }

    IoResult<FileStatus> status(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return {FileStatus{}, 0};
            return IoResult<FileStatus>::failure(errno);
        }
        return {statusOf(st), 0};
    }
};

} // namespace

FileSystem& NativeFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

#else // _WIN32

namespace {

#ifndef ERROR_DISK_QUOTA_EXCEEDED // not in every SDK's headers
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

// The UTF-16 form of a UTF-8 path; nothing for text that is not UTF-8 or holds a NUL,
// which would otherwise open a file of another name.
std::optional<std::wstring> widen(const std::string& utf8) {
    if (utf8.empty() || utf8.find('\0') != std::string::npos)
        return std::nullopt;
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()),
                                      nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), w.data(), n);
    return w;
}

int errnoOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DISK_QUOTA_EXCEEDED:
        return EDQUOT;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

HANDLE handleOf(FileHandle f) {
    return reinterpret_cast<HANDLE>(f);
}
FileHandle fileOf(HANDLE h) {
    return reinterpret_cast<FileHandle>(h);
}

bool isDirectory(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// CreateFileW on a UTF-8 path; the error is an errno value. A folder is EISDIR, as on
// other systems, not the access denial Windows reports for it.
IoResult<FileHandle> openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                              DWORD flags) {
    const auto wide = widen(path);
    if (!wide)
        return IoResult<FileHandle>::failure(path.empty() ? ENOENT : EINVAL);
    const HANDLE h =
        CreateFileW(wide->c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_ACCESS_DENIED && isDirectory(*wide))
            return IoResult<FileHandle>::failure(EISDIR);
        return IoResult<FileHandle>::failure(errnoOf(e));
    }
    return {fileOf(h), 0};
}

// True for a file on a disk that is neither a folder nor a reparse point (a link).
bool isRegularFile(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

class WindowsFileSystem final : public FileSystem {
  public:
    IoResult<FileHandle> openRead(const std::string& path) override {
        // Others may read, and may rename or replace the file as they could elsewhere (the
        // open handle keeps reading the old one); nobody writes to it meanwhile.
        auto r = openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL);
        if (r.ok() && GetFileType(handleOf(r.value)) != FILE_TYPE_DISK) {
            CloseHandle(handleOf(r.value));
            return IoResult<FileHandle>::failure(EINVAL);
        }
        return r;
    }

    IoResult<FileHandle> create(const std::string& path, CreateMode mode) override {
        // FILE_FLAG_OPEN_REPARSE_POINT: a link of that name is opened itself, never its target.
        auto r = openFile(path, GENERIC_WRITE, FILE_SHARE_READ,
                          mode == CreateMode::Exclusive ? CREATE_NEW : CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
        if (r.ok() && !isRegularFile(handleOf(r.value))) {
            CloseHandle(handleOf(r.value));
            return IoResult<FileHandle>::failure(EINVAL);
        }
        return r;
    }

    IoResult<FileHandle> openDevice(const std::string& path) override {
        auto r = openFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL);
        if (r.ok() && GetFileType(handleOf(r.value)) == FILE_TYPE_DISK) {
            CloseHandle(handleOf(r.value));
            return IoResult<FileHandle>::failure(EINVAL);
        }
        return r;
    }

    IoResult<std::uint64_t> size(FileHandle file) override {
        LARGE_INTEGER n{};
        if (!GetFileSizeEx(handleOf(file), &n))
            return IoResult<std::uint64_t>::failure(errnoOf(GetLastError()));
        return {std::uint64_t(n.QuadPart), 0};
    }

    IoResult<std::size_t> readAt(FileHandle file, std::uint64_t offset,
                                 std::span<std::uint8_t> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            // On a handle opened without FILE_FLAG_OVERLAPPED the offset of an OVERLAPPED
            // makes ReadFile a positioned, synchronous read.
            OVERLAPPED at{};
            const std::uint64_t pos = offset + done;
            at.Offset = DWORD(pos);
            at.OffsetHigh = DWORD(pos >> 32);
            DWORD n = 0;
            const DWORD want = DWORD(std::min<std::size_t>(out.size() - done, 1u << 30));
            if (!ReadFile(handleOf(file), out.data() + done, want, &n, &at)) {
                const DWORD e = GetLastError();
                if (e == ERROR_HANDLE_EOF)
                    break;
                return {done, errnoOf(e)};
            }
            if (n == 0)
                break;
            done += n;
        }
        return {done, 0};
    }

    IoResult<std::size_t> write(FileHandle file, std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD n = 0;
            const DWORD want = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            if (!WriteFile(handleOf(file), bytes.data() + done, want, &n, nullptr))
                return {done, errnoOf(GetLastError())};
            if (n == 0)
                return {done, ENOSPC};
            done += n;
        }
        return {done, 0};
    }

    IoStatus sync(FileHandle file) override {
        // Never retried, for the same reason as fsync elsewhere.
        if (!FlushFileBuffers(handleOf(file)))
            return {errnoOf(GetLastError())};
        return {};
    }

    IoStatus close(FileHandle file) override {
        if (!CloseHandle(handleOf(file)))
            return {errnoOf(GetLastError())};
        return {};
    }

    IoStatus rename(const std::string& from, const std::string& to) override {
        const auto wfrom = widen(from);
        const auto wto = widen(to);
        if (!wfrom || !wto)
            return {EINVAL};
        // One rename that replaces the target (atomic on NTFS), written through before it
        // returns. ReplaceFileW would keep the old file's attributes but can fail halfway,
        // with the target renamed away.
        constexpr DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
        // A reader (a virus scanner, an indexer) may hold the target for a moment.
        for (int attempt = 0;; ++attempt) {
            if (MoveFileExW(wfrom->c_str(), wto->c_str(), flags))
                return {};
            const DWORD e = GetLastError();
            if (e != ERROR_SHARING_VIOLATION && e != ERROR_LOCK_VIOLATION)
                return {e == ERROR_ACCESS_DENIED && isDirectory(*wto) ? EISDIR : errnoOf(e)};
            if (attempt == 4)
                return {EBUSY};
            Sleep(50u << attempt);
        }
    }

    // The same rename, but one that fails with EEXIST rather than replace the target.
    IoStatus renameNoReplace(const std::string& from, const std::string& to) override {
        const auto wfrom = widen(from);
        const auto wto = widen(to);
        if (!wfrom || !wto)
            return {EINVAL};
        if (MoveFileExW(wfrom->c_str(), wto->c_str(), MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD e = GetLastError();
        return {e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? EEXIST : errnoOf(e)};
    }

    IoStatus remove(const std::string& path) override {
        const auto wide = widen(path);
        if (!wide)
            return {EINVAL};
        // A link is removed itself, as DeleteFileW does; a folder is not a file to remove.
        if (!DeleteFileW(wide->c_str())) {
            const DWORD e = GetLastError();
            return {e == ERROR_ACCESS_DENIED && isDirectory(*wide) ? EISDIR : errnoOf(e)};
        }
        return {};
    }

    // A folder of the user's profile is the user's alone by its inherited permissions.
    IoStatus makeDirectory(const std::string& path) override {
        const auto wide = widen(path);
        if (!wide)
            return {EINVAL};
        if (CreateDirectoryW(wide->c_str(), nullptr))
            return {};
        const DWORD e = GetLastError();
        return {e == ERROR_ALREADY_EXISTS ? EEXIST : errnoOf(e)};
    }

    IoStatus removeDirectory(const std::string& path) override {
        const auto wide = widen(path);
        if (!wide)
            return {EINVAL};
        if (RemoveDirectoryW(wide->c_str()))
            return {};
        const DWORD e = GetLastError();
        return {e == ERROR_DIR_NOT_EMPTY ? ENOTEMPTY : errnoOf(e)};
    }

    // MOVEFILE_WRITE_THROUGH already made the rename durable; Windows cannot flush a folder.
    IoStatus syncDirectory(const std::string&) override { return {}; }

    IoResult<FileStatus> status(const std::string& path) override {
        // No access asked for: this only looks, whoever has the file open.
        const auto r = openFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
        if (!r.ok()) {
            if (r.error == ENOENT)
                return {FileStatus{}, 0};
            return IoResult<FileStatus>::failure(r.error);
        }
        const HANDLE h = handleOf(r.value);
        FileStatus s;
        s.kind = FileStatus::Kind::Other; // a device, a pipe, a console
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileType(h) == FILE_TYPE_DISK) {
            if (!GetFileInformationByHandle(h, &info)) {
                const DWORD e = GetLastError();
                CloseHandle(h);
                return IoResult<FileStatus>::failure(errnoOf(e));
            }
            s.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                         ? FileStatus::Kind::Directory
                         : FileStatus::Kind::Regular;
            s.size = std::uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
            // 100-nanosecond ticks since 1601, to nanoseconds since 1970.
            const std::uint64_t ticks = std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32 |
                                        info.ftLastWriteTime.dwLowDateTime;
            s.modified = (std::int64_t(ticks) - 116'444'736'000'000'000) * 100;
            s.device = info.dwVolumeSerialNumber;
            s.inode = std::uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
        }
        CloseHandle(h);
        return {s, 0};
    }
};

} // namespace

FileSystem& NativeFileSystem() {
    static WindowsFileSystem fs;
    return fs;
}

std::optional<std::wstring> WidePath(const std::string& utf8) {
    return widen(utf8);
}

int ErrnoOfWindowsError(unsigned long code) {
    return errnoOf(DWORD(code));
}

#endif

} // namespace pdt::puzzle
