#include "cli/password.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace pdt::cli;
using namespace pdt::test;

// The first line of a password file, whatever its line ends and whatever characters its
// name holds; a folder, a device and a missing file are no password file, each with its
// own reason.
TEST(PasswordFile, GivesTheFirstLineAndRefusesWhatIsNoFile) {
    TempDir dir;
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/null";
#endif
    struct Case {
        const char* what;
        std::string file;
        const char* content; // nullptr: nothing written
        std::optional<std::string> line;
        int error;
    };
    const Case cases[] = {
        {"CRLF", dir / "合言葉.txt", "秘密\r\nsecond\r\n", "秘密", 0},
        {"LF", dir / "lf.txt", "pw\nrest", "pw", 0},
        {"no line break", dir / "bare.txt", "pw", "pw", 0},
        {"empty", dir / "空.txt", "", "", 0},
        {"a folder", dir.path(), nullptr, std::nullopt, EISDIR},
        {"missing", dir / "無い.txt", nullptr, std::nullopt, ENOENT},
        {"a device", device, nullptr, std::nullopt, EINVAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.content)
            writeFile(c.file, bytesOf(c.content));
        int error = 0;
        EXPECT_EQ(ReadPasswordFile(c.file, error), c.line);
        EXPECT_EQ(error, c.error);
    }
}
