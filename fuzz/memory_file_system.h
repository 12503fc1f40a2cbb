#pragma once
// Files held in memory, one flat namespace of names: the fuzz target saves and extracts
// without touching the disk.

#include "puzzle/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pdt::fuzz {

class MemoryFileSystem final : public puzzle::FileSystem {
  public:
    using Data = std::vector<std::uint8_t>;

    void put(const std::string& name, Data bytes) {
        files_[name] = std::make_shared<Data>(std::move(bytes));
    }
    const Data* find(const std::string& name) const {
        const auto it = files_.find(name);
        return it == files_.end() ? nullptr : it->second.get();
    }
    int openHandles() const { return int(open_.size()); }

    puzzle::IoResult<puzzle::FileHandle> openRead(const std::string& path) override {
        const auto it = files_.find(path);
        if (it == files_.end())
            return puzzle::IoResult<puzzle::FileHandle>::failure(ENOENT);
        return {add(it->second), 0};
    }
    puzzle::IoResult<puzzle::FileHandle> create(const std::string& path,
                                                puzzle::CreateMode mode) override {
        if (mode == puzzle::CreateMode::Exclusive && files_.contains(path))
            return puzzle::IoResult<puzzle::FileHandle>::failure(EEXIST);
        auto data = std::make_shared<Data>();
        files_[path] = data;
        return {add(data), 0};
    }
    puzzle::IoResult<puzzle::FileHandle> openDevice(const std::string&) override {
        return puzzle::IoResult<puzzle::FileHandle>::failure(EINVAL);
    }
    puzzle::IoResult<std::uint64_t> size(puzzle::FileHandle f) override {
        const auto it = open_.find(f);
        if (it == open_.end())
            return puzzle::IoResult<std::uint64_t>::failure(EBADF);
        return {it->second->size(), 0};
    }
    puzzle::IoResult<std::size_t> readAt(puzzle::FileHandle f, std::uint64_t offset,
                                         std::span<std::uint8_t> out) override {
        const auto it = open_.find(f);
        if (it == open_.end())
            return puzzle::IoResult<std::size_t>::failure(EBADF);
        const Data& d = *it->second;
        if (offset >= d.size())
            return {0, 0};
        const auto n = std::size_t(std::min<std::uint64_t>(out.size(), d.size() - offset));
        std::copy_n(d.begin() + std::ptrdiff_t(offset), n, out.begin());
        return {n, 0};
    }
    puzzle::IoResult<std::size_t> write(puzzle::FileHandle f,
                                        std::span<const std::uint8_t> bytes) override {
        const auto it = open_.find(f);
        if (it == open_.end())
            return puzzle::IoResult<std::size_t>::failure(EBADF);
        it->second->insert(it->second->end(), bytes.begin(), bytes.end());
        return {bytes.size(), 0};
    }
    puzzle::IoStatus sync(puzzle::FileHandle f) override { return {open_.contains(f) ? 0 : EBADF}; }
    puzzle::IoStatus close(puzzle::FileHandle f) override {
        return {open_.erase(f) == 1 ? 0 : EBADF};
    }
    puzzle::IoStatus rename(const std::string& from, const std::string& to) override {
        const auto it = files_.find(from);
        if (it == files_.end())
            return {ENOENT};
        auto data = it->second;
        files_.erase(it);
        files_[to] = std::move(data);
        return {};
    }
    puzzle::IoStatus remove(const std::string& path) override {
        return {files_.erase(path) == 1 ? 0 : ENOENT};
    }
    // Folders are not kept: every path names a file.
    puzzle::IoStatus makeDirectory(const std::string&) override { return {}; }
    puzzle::IoStatus removeDirectory(const std::string&) override { return {}; }
    puzzle::IoStatus syncDirectory(const std::string&) override { return {}; }
    puzzle::IoResult<puzzle::FileStatus> status(const std::string& path) override {
        puzzle::FileStatus s;
        const auto it = files_.find(path);
        if (it != files_.end()) {
            s.kind = puzzle::FileStatus::Kind::Regular;
            s.size = it->second->size();
            s.device = 1;
            s.inode = std::uint64_t(reinterpret_cast<std::uintptr_t>(it->second.get()));
        }
        return {s, 0};
    }

  private:
    puzzle::FileHandle add(std::shared_ptr<Data> data) {
        const puzzle::FileHandle h = next_++;
        open_[h] = std::move(data);
        return h;
    }

    std::map<std::string, std::shared_ptr<Data>> files_;
    std::map<puzzle::FileHandle, std::shared_ptr<Data>> open_;
    puzzle::FileHandle next_ = 3;
};

} // namespace pdt::fuzz
