// Hostile puzzle data files against every command that reads one: no crash, no
// allocation beyond what the file justifies, nothing written outside the chosen folder,
// and a failure said in one line. How the walk takes damaged files apart is tested in
// tests/puzzle; here the stored values the commands act on.

#include "cli/cli_fixture.h"

#include <filesystem>
#include <limits>

namespace pdt::test {
namespace {

namespace fs = std::filesystem;

class PuzzleReader : public CliTest {};

// Enough for the program itself (in KiB); far below what a size near 2^31 would take.
// AddressSanitizer cannot run under such a limit.
#if defined(__SANITIZE_ADDRESS__)
const std::string kAddressSpace = ":";
#else
const std::string kAddressSpace = "ulimit -v 262144";
#endif

TEST_F(PuzzleReader, HostileFilesFailInOneLineWithoutHarm) {
    using namespace puzzle::field;
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    // Whatever the stored paths name, extracted pictures land in the chosen folder.
    const Bytes good = buildFile(
        {{recordWith("../../../evil.jpg", "/etc/passwd"), pictureBytes(100), pictureBytes(50)},
         {recordWith("..\\..\\evil.jpg", ""), pictureBytes(150), {}}});
    const size_t first = 20;
    const size_t second = 20 + 1154 + 150;
    const auto header = puzzle::EncodeHeader(1, {});
    Bytes zeroRecord(header.begin(), header.end());
    zeroRecord.resize(20 + 1154, 0xFF); // a record of zeros, inverted

    const struct {
        std::string name;
        Bytes file;
        int list, extract, verify; // exit codes
    } cases[] = {
        {"no puzzle data file", bytesOf("adx and some more text than a header holds"), 1, 1, 1},
        {"size 2^31 - 1", withStoredField(good, first, puzzleImageSize, kMax), 1, 1, 1},
        {"sizes adding past 2^32",
         withStoredField(withStoredField(good, first, puzzleImageSize, kMax), first,
                         finishedImageSize, kMax),
         1, 1, 1},
        {"offset 2^31 - 1", withStoredField(good, first, puzzleImageOffset, kMax), 0, 1, 1},
        {"offset -1", withStoredField(good, second, puzzleImageOffset, -1), 0, 1, 1},
        {"record offset -1", withStoredField(good, first, recordOffset, -1), 0, 0, 1},
        {"a record of zeros", zeroRecord, 0, 0, 1},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(path("sandbox"));
        fs::create_directories(path("sandbox"));
        write("sandbox/hostile.adx", c.file);

        const std::vector<std::pair<std::vector<std::string>, int>> commands = {
            {{"list", "sandbox/hostile.adx", "--json"}, c.list},
            {{"extract", "sandbox/hostile.adx", "-o", "sandbox/out"}, c.extract},
            {{"verify", "sandbox/hostile.adx"}, c.verify},
        };
        for (const auto& [args, expected] : commands) {
            SCOPED_TRACE(args[0]);
            const auto r = run(args, {}, kAddressSpace);
            if (expected == 0) {
                EXPECT_EQ(r.exitCode, 0) << r.err;
                EXPECT_EQ(r.err, "");
            } else {
                expectOneLineFailure(r, expected);
            }
        }
        for (const auto& entry : tree()) {
            EXPECT_TRUE(entry == "sandbox" || entry == "sandbox/hostile.adx" ||
                        entry.starts_with("sandbox/out"))
                << entry;
        }
        if (c.extract != 0) {
            EXPECT_FALSE(has("sandbox/out/manifest.json"));
        }
    }
}

} // namespace
} // namespace pdt::test
