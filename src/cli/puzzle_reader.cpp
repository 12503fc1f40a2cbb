#include "cli/puzzle_reader.h"

#include "puzzle/file_system.h"

#include <cerrno>
#include <cstring>

namespace pdt::cli {

// Through the engine's file system, which opens UTF-8 names on both systems and never
// waits on a FIFO.
std::optional<std::string> UnreadableReason(const std::string& path) {
    auto& files = puzzle::NativeFileSystem();
    const auto status = files.status(path);
    if (!status.ok())
        return std::strerror(status.error);
    if (status.value.kind == puzzle::FileStatus::Kind::Missing)
        return std::strerror(ENOENT);
    if (status.value.kind != puzzle::FileStatus::Kind::Regular)
        return "not a regular file";
    const auto file = files.openRead(path);
    if (!file.ok())
        return std::strerror(file.error);
    (void)files.close(file.value);
    return std::nullopt;
}

std::string WhyNotReadable(const std::string& path) {
    return UnreadableReason(path).value_or("cannot be read");
}

std::variant<PuzzleFile, Failure>
OpenPuzzleFile(const std::string& path, const PasswordSource& password, const Console& console) {
    PuzzleFile file;
    file.path = path;
    file.source = puzzle::FileByteSource::open(path);
    if (!file.source)
        return failed(path + ": " + WhyNotReadable(path));

    file.walk = puzzle::WalkRecords(*file.source);
    switch (file.walk.damage) {
    case puzzle::Damage::TruncatedHeader:
    case puzzle::Damage::NotPuzzleData:
        return failed(path + ": " + puzzle::DescribeDamageEnglish(file.walk));
    case puzzle::Damage::ReadError:
        if (!file.walk.header.isPuzzleDataFile)
            return failed(path + ": " + puzzle::DescribeDamageEnglish(file.walk));
        break;
    default:
        break;
    }
    if (auto refused = CheckPassword(file.walk.header.password, password, path, console))
        return *refused;
    return file;
}

} // namespace pdt::cli
