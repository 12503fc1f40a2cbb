#pragma once
// A FileSystem that passes every call to another one and makes chosen calls fail, so
// that tests can break a save or an extraction at each of its steps.

#include "puzzle/file_system.h"

#include <cerrno>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace pdt::test {

class FaultFileSystem final : public puzzle::FileSystem {
  public:
    enum class Op {
        OpenRead,
        Create,
        OpenDevice,
        Size,
        ReadAt,
        Write,
        Sync,
        Close,
        Rename,
        Remove,
        MakeDirectory,
        RemoveDirectory,
        SyncDirectory,
        Status
    };

    explicit FaultFileSystem(puzzle::FileSystem& inner = puzzle::NativeFileSystem())
        : inner_(inner) {}

    // Calls are numbered from 1 in the order they are made, whatever their kind.
    void failCall(int k, int error = EIO) { set(k, k, error); }
    void failFrom(int k, int error = EIO) { set(k, 1 << 30, error); }
    void failEvery(Op op, int error = EIO) {
        failingOps_.insert(op);
        error_ = error;
    }
    // Removing a temporary file is the clean-up after a failure; by default it is spared
    // so that a test sees whether the clean-up was attempted.
    void spare(std::set<Op> ops) { spared_ = std::move(ops); }
    // A failing write then writes half of its bytes and reports that count, no error.
    void failWritesShort(bool on) { shortWrites_ = on; }

    int calls() const { return int(log_.size()); }
    const std::vector<Op>& log() const { return log_; }

    puzzle::IoResult<puzzle::FileHandle> openRead(const std::string& path) override {
        return pass(Op::OpenRead, [&] { return inner_.openRead(path); });
    }
    puzzle::IoResult<puzzle::FileHandle> create(const std::string& path,
                                                puzzle::CreateMode mode) override {
        return pass(Op::Create, [&] { return inner_.create(path, mode); });
    }
    puzzle::IoResult<puzzle::FileHandle> openDevice(const std::string& path) override {
        return pass(Op::OpenDevice, [&] { return inner_.openDevice(path); });
    }
    puzzle::IoResult<std::uint64_t> size(puzzle::FileHandle f) override {
        return pass(Op::Size, [&] { return inner_.size(f); });
    }
    puzzle::IoResult<std::size_t> readAt(puzzle::FileHandle f, std::uint64_t offset,
                                         std::span<std::uint8_t> out) override {
        return pass(Op::ReadAt, [&] { return inner_.readAt(f, offset, out); });
    }
    puzzle::IoResult<std::size_t> write(puzzle::FileHandle f,
                                        std::span<const std::uint8_t> bytes) override {
        if (!shortWrites_)
            return pass(Op::Write, [&] { return inner_.write(f, bytes); });
        if (!fails(Op::Write))
            return inner_.write(f, bytes);
        const auto r = inner_.write(f, bytes.first(bytes.size() / 2));
        return {r.value, r.error};
    }
    puzzle::IoStatus sync(puzzle::FileHandle f) override {
        return pass(Op::Sync, [&] { return inner_.sync(f); });
    }
    puzzle::IoStatus close(puzzle::FileHandle f) override {
        // A failing close still releases the handle, as close(2) does.
        const bool fail = fails(Op::Close);
        const auto r = inner_.close(f);
        return fail ? puzzle::IoStatus{error_} : r;
    }
    puzzle::IoStatus rename(const std::string& from, const std::string& to) override {
        return pass(Op::Rename, [&] { return inner_.rename(from, to); });
    }
    puzzle::IoStatus remove(const std::string& path) override {
        return pass(Op::Remove, [&] { return inner_.remove(path); });
    }
    puzzle::IoStatus makeDirectory(const std::string& path) override {
        return pass(Op::MakeDirectory, [&] { return inner_.makeDirectory(path); });
    }
    puzzle::IoStatus removeDirectory(const std::string& path) override {
        return pass(Op::RemoveDirectory, [&] { return inner_.removeDirectory(path); });
    }
    puzzle::IoStatus syncDirectory(const std::string& directory) override {
        return pass(Op::SyncDirectory, [&] { return inner_.syncDirectory(directory); });
    }
    puzzle::IoResult<puzzle::FileStatus> status(const std::string& path) override {
        return pass(Op::Status, [&] { return inner_.status(path); });
    }

  private:
    void set(int first, int last, int error) {
        first_ = first;
        last_ = last;
        error_ = error;
    }

    // The inner call's result, or the failure when this call is to fail.
    template <class F> auto pass(Op op, F call) -> decltype(call()) {
        if (!fails(op))
            return call();
        if constexpr (std::is_same_v<decltype(call()), puzzle::IoStatus>)
            return {error_};
        else
            return decltype(call())::failure(error_);
    }

    bool fails(Op op) {
        const int n = int(log_.size()) + 1;
        const bool fail =
            !spared_.contains(op) && ((n >= first_ && n <= last_) || failingOps_.contains(op));
        log_.push_back(op);
        return fail;
    }

    puzzle::FileSystem& inner_;
    std::vector<Op> log_;
    int first_ = 0;
    int last_ = -1;
    int error_ = EIO;
    std::set<Op> failingOps_;
    std::set<Op> spared_ = {Op::Remove};
    bool shortWrites_ = false;
};

} // namespace pdt::test
