#include "session/journal.h"

#include "puzzle/format.h"
#include "puzzle/pictures.h"

#include <algorithm>
#include <cstring>

namespace pdt::session {

namespace {

constexpr char kMagic[4] = {'P', 'D', 'T', 'J'};
constexpr std::size_t kHeaderSize = 4 + 4 + 8 + 8;
constexpr std::int64_t kWindow = 4096;
// Nothing real comes near: 200 records and four paths of at most a few KiB each.
constexpr std::uint64_t kMaxPayload = std::uint64_t(64) << 20;

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes,
                    std::uint64_t hash = 14695981039346656037ull) {
    for (const std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}

class Writer {
  public:
    void u8(std::uint8_t v) { out_.push_back(char(v)); }
    void u32(std::uint32_t v) { le(v, 4); }
    void u64(std::uint64_t v) { le(v, 8); }
    void i32(std::int32_t v) { le(std::uint32_t(v), 4); }
    void i64(std::int64_t v) { le(std::uint64_t(v), 8); }
    void str(const std::string& s) {
        u32(std::uint32_t(s.size()));
        out_ += s;
    }
    void bytes(std::span<const std::uint8_t> b) { out_.append(b.begin(), b.end()); }
    std::string& out() { return out_; }

  private:
    void le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            out_.push_back(char(v >> (8 * i)));
    }
    std::string out_;
};

// Reads what a Writer wrote; once anything is missing every later read fails too.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == in_.size(); }
    std::uint8_t u8() { return std::uint8_t(le(1)); }
    std::uint32_t u32() { return std::uint32_t(le(4)); }
    std::uint64_t u64() { return le(8); }
    std::int32_t i32() { return std::int32_t(std::uint32_t(le(4))); }
    std::int64_t i64() { return std::int64_t(le(8)); }
    std::string str() {
        const std::uint32_t n = u32();
        if (!take(n))
            return {};
        return std::string(reinterpret_cast<const char*>(in_.data()) + at_ - n, n);
    }
    std::span<const std::uint8_t> bytes(std::size_t n) {
        if (!take(n))
            return {};
        return in_.subspan(at_ - n, n);
    }

  private:
    bool take(std::size_t n) {
        if (!ok_ || n > in_.size() - at_)
            return ok_ = false;
        at_ += n;
        return true;
    }
    std::uint64_t le(int n) {
        if (!take(std::size_t(n)))
            return 0;
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(in_[at_ - std::size_t(n) + std::size_t(i)]) << (8 * i);
        return v;
    }
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

JournalPicture describe(const puzzle::ImageSource& source, PictureFingerprints& fingerprints,
                        puzzle::FileSystem& fs) {
    JournalPicture p;
    if (source.kind == puzzle::ImageSource::Kind::Empty)
        return p;
    p.file = source.file;
    const auto status = fs.status(source.file);
    if (status.ok()) {
        p.fileSize = status.value.size;
        p.modified = status.value.modified;
    }
    if (source.kind == puzzle::ImageSource::Kind::WholeFile) {
        p.kind = JournalPicture::Kind::File;
        return p;
    }
    p.kind = JournalPicture::Kind::Stored;
    p.offset = source.offset;
    p.size = source.size;
    if (status.ok())
        p.fingerprint =
            fingerprints.of(source.file, status.value, p.offset, p.size, fs).value_or(0);
    return p;
}

void writePicture(Writer& w, const JournalPicture& p) {
    w.u8(std::uint8_t(p.kind));
    w.str(p.file);
    w.i64(p.offset);
    w.i64(p.size);
    w.u64(p.fileSize);
    w.i64(p.modified);
    w.u64(p.fingerprint);
}

JournalPicture readPicture(Reader& r) {
    JournalPicture p;
    p.kind = JournalPicture::Kind(r.u8());
    p.file = r.str();
    p.offset = r.i64();
    p.size = r.i64();
    p.fileSize = r.u64();
    p.modified = r.i64();
    p.fingerprint = r.u64();
    return p;
}

bool stillThere(const JournalPicture& p, puzzle::FileSystem& fs) {
    const auto status = fs.status(p.file);
    if (!status.ok() || status.value.kind != puzzle::FileStatus::Kind::Regular)
        return false;
    if (status.value.size == p.fileSize && status.value.modified == p.modified)
        return true;
    // A picture file rewritten is another picture; a puzzle data file rewritten may still
    // hold the same bytes where the record says.
    if (p.kind == JournalPicture::Kind::File)
        return false;
    const auto now = FingerprintRange(p.file, p.offset, p.size, fs);
    return now && *now == p.fingerprint;
}

std::string pictureName(const puzzle::Document& doc, int pattern, int slot,
                        const JournalPicture& p) {
    std::string name = puzzle::DefaultExtractName(doc, pattern, slot);
    if (!name.empty())
        return name;
    const auto cut = p.file.find_last_of("/\\");
    return cut == std::string::npos ? p.file : p.file.substr(cut + 1);
}

} // namespace

std::optional<std::uint64_t> FingerprintRange(const std::string& file, std::int64_t offset,
                                              std::int64_t size, puzzle::FileSystem& fs) {
    if (offset < 0 || size < 0)
        return std::nullopt;
    const auto opened = fs.openRead(file);
    if (!opened.ok())
        return std::nullopt;
    std::uint8_t sizeBytes[8];
    for (int i = 0; i < 8; ++i)
        sizeBytes[i] = std::uint8_t(std::uint64_t(size) >> (8 * i));
    std::uint64_t hash = fnv1a(sizeBytes);
    std::vector<std::uint8_t> window;
    bool ok = true;
    const std::int64_t starts[] = {0, std::max<std::int64_t>(0, size / 2 - kWindow / 2),
                                   std::max<std::int64_t>(0, size - kWindow)};
    for (const std::int64_t start : starts) {
        window.resize(std::size_t(std::min(kWindow, size - start)));
        const auto read = fs.readAt(opened.value, std::uint64_t(offset + start), window);
        if (!read.ok() || read.value != window.size()) {
            ok = false;
            break;
        }
        hash = fnv1a(window, hash);
    }
    (void)fs.close(opened.value);
    if (!ok)
        return std::nullopt;
    return hash;
}

std::optional<std::uint64_t> PictureFingerprints::of(const std::string& file,
                                                     const puzzle::FileStatus& status,
                                                     std::int64_t offset, std::int64_t size,
                                                     puzzle::FileSystem& fs) {
    const Key key{file, status.size, status.modified, offset, size};
    if (const auto it = known_.find(key); it != known_.end())
        return it->second;
    const auto fingerprint = FingerprintRange(file, offset, size, fs);
    if (fingerprint)
        known_.emplace(key, *fingerprint);
    return fingerprint;
}

std::string EncodeJournal(const JournalState& state, PictureFingerprints& fingerprints,
                          puzzle::FileSystem& fs) {
    const puzzle::Document& doc = state.document;
    Writer payload;
    payload.i64(state.changedAt);
    payload.str(doc.state.currentFilePath);
    payload.str(doc.state.password);
    payload.u8(doc.state.vendorFlag);
    payload.i32(doc.state.lastIndex);
    payload.i32(state.shown);
    for (int i = 0; i < doc.patternCount(); ++i) {
        payload.bytes(puzzle::EncodeRecord(doc.pattern(i)));
        for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
            payload.str(doc.pattern(i).sourceFiles[size_t(slot)]);
            writePicture(payload, describe(puzzle::SlotSource(doc, i, slot), fingerprints, fs));
        }
    }
    const std::string& body = payload.out();
    Writer journal;
    journal.bytes({reinterpret_cast<const std::uint8_t*>(kMagic), 4});
    journal.u32(kJournalVersion);
    journal.u64(body.size());
    journal.u64(fnv1a({reinterpret_cast<const std::uint8_t*>(body.data()), body.size()}));
    journal.out() += body;
    return std::move(journal.out());
}

std::variant<Journal, std::string> DecodeJournal(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 4) != 0)
        return std::string("not a recovery journal");
    Reader header(bytes.subspan(4, kHeaderSize - 4));
    const std::uint32_t version = header.u32();
    const std::uint64_t size = header.u64();
    const std::uint64_t checksum = header.u64();
    if (version != kJournalVersion)
        return "journal version " + std::to_string(version) + " is not known";
    const std::span<const std::uint8_t> body = bytes.subspan(kHeaderSize);
    if (size > kMaxPayload || size != body.size() || fnv1a(body) != checksum)
        return std::string("the journal is damaged or cut short");

    Reader r(body);
    Journal j;
    puzzle::Document& doc = j.state.document;
    j.state.changedAt = r.i64();
    doc.state.currentFilePath = r.str();
    doc.state.password = r.str();
    doc.state.vendorFlag = r.u8();
    doc.state.lastIndex = r.i32();
    j.state.shown = r.i32();
    if (!r.ok() || doc.state.lastIndex < 0 || doc.state.lastIndex >= puzzle::kMaxPatterns ||
        doc.state.password.size() > std::size_t(puzzle::kMaxPasswordBytes) ||
        doc.state.vendorFlag > 1)
        return std::string("the journal's values are out of range");
    for (int i = 0; i < doc.patternCount(); ++i) {
        const auto image = r.bytes(puzzle::kRecordSize);
        if (!r.ok())
            break;
        doc.pattern(i) = puzzle::DecodeRecord(image.first<puzzle::kRecordSize>());
        auto& pictures = j.pictures.emplace_back();
        for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
            doc.pattern(i).sourceFiles[size_t(slot)] = r.str();
            pictures[size_t(slot)] = readPicture(r);
            if (pictures[size_t(slot)].kind > JournalPicture::Kind::Stored)
                return std::string("the journal's values are out of range");
        }
    }
    if (!r.ok() || !r.atEnd())
        return std::string("the journal is damaged or cut short");
    j.state.shown = std::clamp(j.state.shown, 0, doc.state.lastIndex);
    return j;
}

std::vector<MovedPicture> DetachPicturesThatMovedOn(Journal& journal, puzzle::FileSystem& fs) {
    std::vector<MovedPicture> moved;
    puzzle::Document& doc = journal.state.document;
    for (int i = 0; i < doc.patternCount() && i < int(journal.pictures.size()); ++i) {
        for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
            const JournalPicture& p = journal.pictures[size_t(i)][size_t(slot)];
            if (p.kind == JournalPicture::Kind::None || stillThere(p, fs))
                continue;
            moved.push_back({i, slot, pictureName(doc, i, slot, p)});
            puzzle::ClearImage(doc, i, slot);
        }
    }
    return moved;
}

} // namespace pdt::session
