// The recovery journal: what it keeps comes back whole, what is not a sound journal of this
// version is refused, and pictures that changed since it was written are left out.

#include "session/journal.h"

#include "puzzle/open.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pdt;
using namespace pdt::test;
using session::Journal;
using session::JournalPicture;

namespace {

// A saved set of two patterns (stored pictures), reopened, with a picture file of its own
// attached to pattern 2 and everything else filled in.
struct Opened {
    TempDir dir;
    session::JournalState state;
    std::string photo = dir / "photo.jpg";

    Opened() {
        PatternSpec a, b;
        a.puzzle = pictureBytes(20000, 1);
        a.finished = pictureBytes(300, 2);
        b.puzzle = pictureBytes(9000, 3);
        writeFile(dir / "set.ADX", buildFile({a, b}, "pw", 1));
        const puzzle::ReadResult read = puzzle::ReadPuzzleDataFile(dir / "set.ADX");
        EXPECT_TRUE(read.file);
        puzzle::ApplyOpenedFile(state.document, *read.file);
        writeFile(photo, pictureBytes(500, 4));
        EXPECT_FALSE(puzzle::AttachPicture(state.document, 1, 1, photo));
        puzzle::setFieldText(state.document.pattern(1).clearComment, std::string(256, 'c'));
        state.shown = 1;
        state.changedAt = 1'765'000'000'123;
    }
    std::string encode() const {
        session::PictureFingerprints fingerprints;
        return session::EncodeJournal(state, fingerprints, puzzle::NativeFileSystem());
    }
};

std::variant<Journal, std::string> decode(const std::string& bytes) {
    return session::DecodeJournal(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

} // namespace

TEST(Journal, KeepsTheWholeStateAndRefusesWhatIsNotASoundJournal) {
    Opened o;
    const std::string bytes = o.encode();
    const auto read = decode(bytes);
    ASSERT_TRUE(std::holds_alternative<Journal>(read)) << std::get<std::string>(read);
    const Journal& j = std::get<Journal>(read);
    expectSameDocument(j.state.document, o.state.document);
    EXPECT_EQ(j.state.document.pattern(1).sourceFiles[1], o.photo);
    EXPECT_EQ(j.state.shown, 1);
    EXPECT_EQ(j.state.changedAt, o.state.changedAt);
    ASSERT_EQ(j.pictures.size(), 2u);
    EXPECT_EQ(j.pictures[0][0].kind, JournalPicture::Kind::Stored);
    EXPECT_EQ(j.pictures[1][1].kind, JournalPicture::Kind::File);
    EXPECT_EQ(j.pictures[1][1].fileSize, 500u);

    const auto damaged = [&](size_t at) {
        std::string b = bytes;
        b[at] = char(b[at] ^ 0x20);
        return b;
    };
    const std::string refused[] = {
        "",
        "PDTJ",
        bytes.substr(0, bytes.size() - 1), // torn
        bytes + "x",                       // trailing
        damaged(bytes.size() / 2),         // one bit in the payload
        damaged(4),                        // another version
        "ADX" + bytes.substr(3),           // not a journal
    };
    for (size_t k = 0; k < std::size(refused); ++k)
        EXPECT_TRUE(std::holds_alternative<std::string>(decode(refused[k]))) << k;
}

// Pictures whose files changed or vanished are left out and named; a rewritten set whose
// range still holds the same bytes keeps its picture.
TEST(Journal, PicturesThatMovedOnAreLeftOutAndNamed) {
    const struct {
        const char* what;
        std::function<void(Opened&)> change;
        std::vector<std::pair<int, int>> moved; // pattern, slot
    } cases[] = {
        {"nothing", [](Opened&) {}, {}},
        {"photo gone", [](Opened& o) { std::filesystem::remove(o.photo); }, {{1, 1}}},
        {"photo rewritten, same size",
         [](Opened& o) {
             writeFile(o.photo, pictureBytes(500, 5));
             std::filesystem::last_write_time(
                 o.photo, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
         },
         {{1, 1}}},
        {"set rewritten, same bytes",
         [](Opened& o) {
             const Bytes same = readFile(o.dir / "set.ADX");
             std::filesystem::remove(o.dir / "set.ADX");
             writeFile(o.dir / "set.ADX", same);
             std::filesystem::last_write_time(o.dir / "set.ADX",
                                              std::filesystem::file_time_type::clock::now() +
                                                  std::chrono::seconds(5));
         },
         {}},
        {"set rewritten, other bytes",
         [](Opened& o) {
             Bytes other = readFile(o.dir / "set.ADX");
             for (size_t i = other.size() - 200; i < other.size(); ++i)
                 other[i] ^= 0xFF; // the end of pattern 2's puzzle picture
             writeFile(o.dir / "set.ADX", other);
         },
         {{1, 0}}},
        {"set gone",
         [](Opened& o) { std::filesystem::remove(o.dir / "set.ADX"); },
         {{0, 0}, {0, 1}, {1, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Opened o;
        const std::string bytes = o.encode();
        c.change(o);
        Journal j = std::get<Journal>(decode(bytes));
        const auto moved = session::DetachPicturesThatMovedOn(j, puzzle::NativeFileSystem());
        std::vector<std::pair<int, int>> where;
        for (const session::MovedPicture& m : moved) {
            where.emplace_back(m.pattern, m.slot);
            EXPECT_EQ(puzzle::slotSize(j.state.document.pattern(m.pattern), m.slot), 0);
            EXPECT_FALSE(m.name.empty());
        }
        EXPECT_EQ(where, c.moved);
    }
}
