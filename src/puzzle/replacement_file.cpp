#include "puzzle/replacement_file.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <functional>
#include <random>
#include <string_view>
#include <thread>

namespace pdt::puzzle {

namespace {

// Names taken by other writers (or leftovers of crashes) are skipped; this many taken in
// a row means something else is wrong.
constexpr int kNameAttempts = 100;
constexpr std::size_t kTokenLength = 6;

#ifdef _WIN32
// The length of UTF-8 text in UTF-16 units, the measure of Windows' names.
std::size_t utf16Length(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        n += (b & 0xC0) == 0x80 ? 0 : b >= 0xF0 ? 2 : 1;
    }
    return n;
}
#endif

bool fitsLimits(const std::string& path, std::size_t fileNameBytes) {
    if (path.size() > kMaxTemporaryNameBytes)
        return false;
#ifdef _WIN32
    // Windows' file systems take 255 UTF-16 units in one name.
    if (utf16Length(FileNameOf(path)) > 255)
        return false;
#endif
#if defined(NAME_MAX) && defined(PATH_MAX)
    if (fileNameBytes > NAME_MAX || path.size() >= PATH_MAX)
        return false;
#else
    (void)fileNameBytes;
#endif
    return true;
}

// Six letters or digits, different in every thread and every process.
std::string randomToken() {
    thread_local std::mt19937_64 random([] {
        std::random_device device;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        const auto thread = std::hash<std::thread::id>{}(std::this_thread::get_id());
        return std::uint64_t(device()) << 32 ^ std::uint64_t(now) ^ thread;
    }());
    static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string token(kTokenLength, '0');
    for (char& c : token)
        c = kAlphabet[random() % (sizeof kAlphabet - 1)];
    return token;
}

// target's name, '.', the token and "$$$", in target's folder. Where that would be too
// long, the target's name is cut short (at a character boundary); nothing when even the
// token alone does not fit.
std::optional<std::string> uniqueTemporaryName(const std::string& target, std::string_view token) {
    const std::string name = FileNameOf(target);
    const std::string folder = target.substr(0, target.size() - name.size());
    std::string tail(1, '.');
    tail.append(token).append(kTemporarySuffix);
    for (std::size_t keep = name.size();; --keep) {
        // Not inside a UTF-8 sequence.
        while (keep > 0 && keep < name.size() &&
               (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
        std::string candidate = folder + name.substr(0, keep) + tail;
        if (fitsLimits(candidate, keep + tail.size()))
            return candidate;
        if (keep == 0)
            return std::nullopt;
    }
}

} // namespace

std::optional<std::string> TemporaryNameFor(const std::string& target) {
    std::string temporary = target + kTemporarySuffix;
    if (!fitsLimits(temporary, FileNameOf(temporary).size()))
        return std::nullopt;
    return temporary;
}

ReplacementFile::ReplacementFile(FileSystem& fs, std::string target)
    : fs_(fs), target_(std::move(target)) {}

ReplacementFile::~ReplacementFile() {
    abandon();
}

IoStatus ReplacementFile::create() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const auto name = uniqueTemporaryName(target_, randomToken());
        if (!name)
            return {ENAMETOOLONG};
        const auto made = fs_.create(*name, CreateMode::Exclusive);
        if (made.error == EEXIST)
            continue;
        if (!made.ok())
            return {made.error};
        temporary_ = *name;
        file_ = made.value;
        created_ = true;
        return {};
    }
    return {EEXIST};
}

IoStatus ReplacementFile::write(std::span<const std::uint8_t> bytes) {
    const auto r = fs_.write(file_, bytes);
    if (!r.ok())
        return {r.error};
    if (r.value != bytes.size())
        return {ENOSPC};
    return {};
}

IoStatus ReplacementFile::commit(ExistingTarget existing) {
    const IoStatus synced = fs_.sync(file_);
    if (!synced.ok())
        return synced;
    const FileHandle f = file_;
    file_ = kNoFile;
    // A failed close can mean that written data never reached the disk (NFS, quotas).
    const IoStatus closed = fs_.close(f);
    if (!closed.ok())
        return closed;
    const IoStatus renamed = existing == ExistingTarget::Replace
                                 ? fs_.rename(temporary_, target_)
                                 : fs_.renameNoReplace(temporary_, target_);
    if (!renamed.ok())
        return renamed;
    committed_ = true;
    // The target already is the new file; a folder that cannot be flushed cannot undo
    // that, so this result does not decide the outcome.
    (void)fs_.syncDirectory(DirectoryOf(target_));
    return {};
}

void ReplacementFile::abandon() {
    if (committed_ || !created_)
        return;
    if (file_ != kNoFile) {
        (void)fs_.close(file_);
        file_ = kNoFile;
    }
    (void)fs_.remove(temporary_);
    created_ = false;
}

} // namespace pdt::puzzle
