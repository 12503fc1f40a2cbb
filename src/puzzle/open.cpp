#include "puzzle/open.h"

#include "puzzle/file_system.h"
#include "puzzle/messages.h"

#include <algorithm>

namespace pdt::puzzle {

namespace {

// The walk reads through the same seam as everything else.
class FileSystemByteSource final : public ByteSource {
  public:
    FileSystemByteSource(FileSystem& fs, FileHandle file, std::uint64_t size)
        : fs_(fs), file_(file), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        const auto r = fs_.readAt(file_, offset, out);
        return r.ok() && r.value == out.size();
    }

  private:
    FileSystem& fs_;
    FileHandle file_;
    std::uint64_t size_;
};

ReadResult refused(UserMessage m) {
    return {std::nullopt, std::move(m)};
}

} // namespace

ReadResult ReadPuzzleDataFile(const std::string& path) {
    return ReadPuzzleDataFile(path, NativeFileSystem());
}

ReadResult ReadPuzzleDataFile(const std::string& path, FileSystem& fs) {
    const auto opened = fs.openRead(path);
    if (!opened.ok())
        return refused(messages::CannotOpen(opened.error));
    const auto size = fs.size(opened.value);
    if (!size.ok()) {
        (void)fs.close(opened.value);
        return refused(messages::CannotOpen(size.error));
    }
    FileSystemByteSource source(fs, opened.value, size.value);
    WalkResult walk = WalkRecords(source);
    (void)fs.close(opened.value);

    switch (walk.damage) {
    case Damage::TruncatedHeader:
        return refused(messages::TooShort());
    case Damage::NotPuzzleData:
        return refused(messages::NotPuzzleData());
    default:
        break;
    }
    if (walk.records.empty())
        return refused(messages::NothingReadable(DescribeDamage(walk)));

    OpenedFile file;
    file.path = path;
    file.password = walk.header.password;
    file.walk = std::move(walk);
    return {std::move(file), std::nullopt};
}

std::optional<UserMessage> DamageWarning(const OpenedFile& file) {
    if (file.walk.sound())
        return std::nullopt;
    return messages::Damaged(DescribeDamage(file.walk), int(file.walk.records.size()));
}

void ApplyOpenedFile(Document& doc, const OpenedFile& file) {
    const auto& records = file.walk.records;
    const size_t n = std::min(records.size(), size_t(kMaxPatterns));
    if (n == 0)
        return;
    ClearAll(doc);
    std::copy_n(records.begin(), n, doc.table.begin());
    for (size_t i = 0; i < n; ++i)
        doc.table[i].sourceFiles = {};
    doc.state.lastIndex = std::int32_t(n) - 1;
    doc.state.password = file.password;
    doc.state.currentFilePath = file.path;
    // The flag is 0 or 1 whatever byte another writer left, so a save writes what the
    // check box shows.
    doc.state.vendorFlag = records.front().vendorInfo != 0 ? 1 : 0;
}

} // namespace pdt::puzzle
