#pragma once
// A folder of its own for each test, removed with everything in it afterwards, and small
// helpers to put bytes into files and read them back.

#include "puzzle/file_system.h"
#include "support/bytes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace pdt::test {

// Paths in tests are UTF-8 like the engine's, and reach the standard library as it does.
using puzzle::FsPath;
using puzzle::Utf8Of;

class TempDir {
  public:
    // Random names until one is new: mkdtemp is not everywhere.
    TempDir() {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; path_.empty(); ++attempt) {
            const auto p = base / ("pdt-" + std::to_string(random()));
            if (std::filesystem::create_directory(p))
                path_ = Utf8Of(p);
            else if (attempt == 100)
                throw std::runtime_error("no temporary folder");
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FsPath(path_), ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(FsPath(path_)))
            out.push_back(Utf8Of(e.path().filename()));
        std::sort(out.begin(), out.end());
        return out;
    }

  private:
    std::string path_;
};

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    if (!in)
        return {};
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The regular files of a folder and their bytes (only the size, in decimal, for files over
// 1 MiB: tests make those sparse), and its other entries with no bytes.
inline std::map<std::string, Bytes> filesIn(const TempDir& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& name : dir.names()) {
        const std::filesystem::path p = FsPath(dir / name);
        const bool regular = std::filesystem::is_regular_file(p);
        if (regular && std::filesystem::file_size(p) > (1u << 20))
            files[name] = bytesOf(std::to_string(std::filesystem::file_size(p)));
        else
            files[name] = regular ? readFile(dir / name) : Bytes{};
    }
    return files;
}

inline bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(FsPath(path), ec));
}

} // namespace pdt::test
