#include "cli/puzzle_reader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pdt::cli {

std::optional<std::string> UnreadableReason(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (!S_ISREG(st.st_mode))
        return "not a regular file";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::strerror(errno);
    close(fd);
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
