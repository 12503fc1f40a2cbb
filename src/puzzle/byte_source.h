#pragma once
// Random-access reading of a file's bytes, so the record walk can run on a file, on
// memory in tests, or on a fault-injecting source.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pdt::puzzle {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly out.size() bytes at offset; false when that many cannot be read.
    virtual bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

  private:
    std::span<const std::uint8_t> bytes_;
};

// A file opened for reading. open() gives nothing when the file cannot be opened or is
// not a regular file (a folder, FIFO, device or socket), without blocking on any of them.
class FileByteSource final : public ByteSource {
  public:
    static std::unique_ptr<FileByteSource> open(const std::string& path);
    ~FileByteSource() override;
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

  private:
    // A descriptor, or on Windows a FileSystem handle.
    FileByteSource(std::intptr_t fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::intptr_t fd_;
    std::uint64_t size_;
};

} // namespace pdt::puzzle
