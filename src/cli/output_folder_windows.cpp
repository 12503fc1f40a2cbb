// The Windows side of OutputFolder. Windows has no openat: the folder is held open without
// delete sharing instead, so that nobody can rename it, remove it or put a link in its
// place while files are written into it by name. The files themselves are created, written,
// flushed and renamed through the engine's native file system.
#include "cli/output_folder.h"

#include "puzzle/file_system.h"

#include <windows.h>

namespace pdt::cli {

namespace {

using output_names::isSingleName;
using output_names::temporaryNameFor;

puzzle::FileSystem& files() {
    return puzzle::NativeFileSystem();
}

std::string inFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        return folder + name;
    return folder + "\\" + name;
}

bool isTaken(const std::string& path) {
    const auto wide = puzzle::WidePath(path);
    if (!wide)
        return false;
    // The attributes of a link itself: a dangling one counts.
    if (GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD e = GetLastError();
    return e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND;
}

// The folder, opened for listing (so that the share mode binds others) without delete
// sharing; INVALID_HANDLE_VALUE with the Windows error left for GetLastError.
HANDLE holdFolder(const std::wstring& path) {
    return CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

OutputFile::~OutputFile() {
    if (committed_)
        return;
    if (fd_ != puzzle::kNoFile)
        (void)files().close(fd_);
    (void)files().remove(written_);
}

int OutputFile::write(std::span<const std::uint8_t> bytes) {
    return files().write(fd_, bytes).error;
}

int OutputFile::commit() {
    if (const auto s = files().sync(fd_); !s.ok())
        return s.error;
    const Handle fd = fd_;
    fd_ = puzzle::kNoFile;
    if (const auto s = files().close(fd); !s.ok())
        return s.error;
    if (written_ != final_)
        if (const auto s = files().rename(written_, final_); !s.ok())
            return s.error;
    committed_ = true;
    return 0;
}

std::unique_ptr<OutputFolder> OutputFolder::open(const std::string& path, int& error) {
    const auto wide = puzzle::WidePath(path);
    if (!wide) {
        error = path.empty() ? ENOENT : EINVAL;
        return nullptr;
    }
    HANDLE h = holdFolder(*wide);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        if (!CreateDirectoryW(wide->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            error = puzzle::ErrnoOfWindowsError(GetLastError());
            return nullptr;
        }
        h = holdFolder(*wide);
    }
    if (h == INVALID_HANDLE_VALUE) {
        error = puzzle::ErrnoOfWindowsError(GetLastError());
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        error = ENOTDIR;
        return nullptr;
    }
    return std::unique_ptr<OutputFolder>(new OutputFolder(reinterpret_cast<Handle>(h), path));
}

OutputFolder::~OutputFolder() {
    CloseHandle(reinterpret_cast<HANDLE>(fd_));
}

bool OutputFolder::has(const std::string& name) const {
    return isTaken(inFolder(path_, name));
}

bool NameIsTaken(const std::string& path) {
    return isTaken(path);
}

std::unique_ptr<OutputFile> OutputFolder::create(const std::string& name, bool replace, mode_t,
                                                 int& error) {
    if (!isSingleName(name)) {
        error = EINVAL;
        return nullptr;
    }
    const std::string target = inFolder(path_, name);
    if (!replace) {
        const auto r = files().create(target, puzzle::CreateMode::Exclusive);
        if (!r.ok()) {
            error = r.error;
            return nullptr;
        }
        return std::unique_ptr<OutputFile>(new OutputFile(fd_, r.value, target, target));
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = inFolder(path_, temporaryNameFor(name));
        const auto r = files().create(temporary, puzzle::CreateMode::Exclusive);
        if (r.ok())
            return std::unique_ptr<OutputFile>(new OutputFile(fd_, r.value, temporary, target));
        if (r.error != EEXIST) {
            error = r.error;
            return nullptr;
        }
    }
    error = EEXIST;
    return nullptr;
}

// The renames were written through; Windows cannot flush a folder.
int OutputFolder::sync() {
    return 0;
}

} // namespace pdt::cli
