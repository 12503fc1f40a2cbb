#pragma once
// The recovery journal: the whole unsaved state of an editing session as bytes, so that the
// work between two saves outlives a crash. Besides the document it says where every
// picture's bytes were and what they were like then, so that a picture whose file changed or
// vanished since is not taken for the one the author attached.
//
// Layout (little-endian): "PDTJ", version (u32), payload size (u64), payload checksum (u64,
// FNV-1a), payload. Payload: time of the last change (i64, ms since 1970), current file
// (str), password (str), vendor flag (u8), last index (i32), pattern shown (i32), then per
// pattern its 1154-byte record image and for both slots: the native source file (str), the
// picture kind (u8), its file (str), offset and size (i64), the file's size (u64) and
// modification time (i64, ns), and the fingerprint of the bytes (u64). A str is a u32 length
// and that many bytes.

#include "puzzle/document.h"
#include "puzzle/file_system.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

namespace pdt::session {

inline constexpr std::uint32_t kJournalVersion = 1;

struct JournalState {
    puzzle::Document document;
    int shown = 0;
    std::int64_t changedAt = 0; // ms since 1970
};

// What a picture was like when the journal was written.
struct JournalPicture {
    enum class Kind : std::uint8_t { None, File, Stored };
    Kind kind = Kind::None;
    std::string file;              // the picture file, or the puzzle data file storing it
    std::int64_t offset = 0;       // Stored: the range
    std::int64_t size = 0;         //
    std::uint64_t fileSize = 0;    // the file then
    std::int64_t modified = 0;     //
    std::uint64_t fingerprint = 0; // Stored: of the range's bytes

    bool operator==(const JournalPicture&) const = default;
};

struct Journal {
    JournalState state;
    // By pattern, then slot; one entry per pattern of the document.
    std::vector<std::array<JournalPicture, 2>> pictures;
};

// Fingerprints of stored ranges, kept between writes: a puzzle data file is read once for
// each of its states, not at every write.
class PictureFingerprints {
  public:
    // Nothing when the bytes cannot be read.
    std::optional<std::uint64_t> of(const std::string& file, const puzzle::FileStatus& status,
                                    std::int64_t offset, std::int64_t size, puzzle::FileSystem& fs);

  private:
    using Key = std::tuple<std::string, std::uint64_t, std::int64_t, std::int64_t, std::int64_t>;
    std::map<Key, std::uint64_t> known_;
};

// The fingerprint of a range: its size and up to three 4 KiB windows of it (start, middle,
// end), so that a picture of any size costs three small reads.
std::optional<std::uint64_t> FingerprintRange(const std::string& file, std::int64_t offset,
                                              std::int64_t size, puzzle::FileSystem& fs);

// The journal of a state, its pictures described as they are on disk now.
std::string EncodeJournal(const JournalState& state, PictureFingerprints& fingerprints,
                          puzzle::FileSystem& fs);

// A journal read back, or why it cannot be (torn, damaged, of another version, not one).
std::variant<Journal, std::string> DecodeJournal(std::span<const std::uint8_t> bytes);

// A picture that is no longer what the journal saw.
struct MovedPicture {
    int pattern = 0;
    int slot = 0;
    std::string name; // as the pattern recorded it, UTF-8
};

// Detaches from the journal's document every picture whose file changed or vanished since
// it was written, and says which.
std::vector<MovedPicture> DetachPicturesThatMovedOn(Journal& journal, puzzle::FileSystem& fs);

} // namespace pdt::session
