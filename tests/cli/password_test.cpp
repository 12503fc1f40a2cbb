// The password a protected file needs, through every way adxtool takes it.

#include "cli/cli_fixture.h"

namespace pdt::test {
namespace {

class Password : public CliTest {
  protected:
    void SetUp() override {
        writeFile("locked.adx",
                  buildFile({{recordWith("a.jpg", ""), pictureBytes(50), {}}}, cp932(kPassword)));
    }
    // Nothing the tool shows may hold the password, in either encoding.
    static void expectNotShown(const ToolRun& r) {
        for (const std::string& secret : {std::string(kPassword), cp932(kPassword)}) {
            EXPECT_EQ(r.out.find(secret), std::string::npos) << r.out;
            EXPECT_EQ(r.err.find(secret), std::string::npos) << r.err;
        }
    }
    static constexpr char kPassword[] = "ひみつ";
};

TEST_F(Password, IsNeededByEveryCommandThatReadsAProtectedFile) {
    for (const std::string command : {"list", "extract", "verify"}) {
        SCOPED_TRACE(command);
        const auto r = run({command, "locked.adx"});
        expectOneLineFailure(r, 3);
        EXPECT_NE(r.err.find("password"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(exists("manifest.json"));
}

TEST_F(Password, WrongOrUnencodableIsRefused) {
    for (const std::string wrong : {"ひみ", "ひみつ ", "HIMITSU", "ひみつé", "ﾋﾐﾂ"}) {
        SCOPED_TRACE(wrong);
        const auto r = run({"list", "locked.adx", "--password", wrong});
        expectOneLineFailure(r, 3);
        EXPECT_NE(r.err.find("wrong password"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(wrong), std::string::npos) << "the attempt is not shown";
        expectNotShown(r);
    }
}

TEST_F(Password, RightOneOpensTheFileAndIsNeverPrinted) {
    const auto json = run({"list", "locked.adx", "--json", "--password", kPassword});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"hasPassword\": true"), std::string::npos) << json.out;
    expectNotShown(json);

    const auto table = run({"list", "locked.adx", "--password=" + std::string(kPassword)});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    expectNotShown(table);

    const auto verify = run({"verify", "locked.adx", "--password", kPassword});
    expectNotShown(verify);
}

TEST_F(Password, ComesFromTheFirstLineOfAPasswordFile) {
    writeText("crlf.txt", std::string(kPassword) + "\r\nsecond line\n");
    writeText("bare.txt", kPassword);
    writeText("wrong.txt", "\n" + std::string(kPassword) + "\n");
    EXPECT_EQ(run({"list", "locked.adx", "--password-file", "crlf.txt"}).exitCode, 0);
    EXPECT_EQ(run({"list", "locked.adx", "--password-file", "bare.txt"}).exitCode, 0);
    expectOneLineFailure(run({"list", "locked.adx", "--password-file", "wrong.txt"}), 3);
    expectOneLineFailure(run({"list", "locked.adx", "--password-file", "missing.txt"}), 1);
}

TEST_F(Password, IsNotAskedForOnAPipe) {
    // Standard input is a pipe holding the password: it is not read as an answer.
    const auto r = run({"list", "locked.adx"}, std::string(kPassword) + "\n");
    expectOneLineFailure(r, 3);
}

TEST_F(Password, IsAskedForOnATerminalWithoutEcho) {
    const auto right = runAdxtoolOnTerminal({"list", path("locked.adx"), "--json"}, "Password for",
                                            std::string(kPassword) + "\n");
    EXPECT_EQ(right.exitCode, 0) << right.out;
    EXPECT_NE(right.out.find("\"hasPassword\": true"), std::string::npos) << right.out;
    expectNotShown(right);

    const auto wrong = runAdxtoolOnTerminal({"list", path("locked.adx")}, "Password for", "nope\n");
    EXPECT_EQ(wrong.exitCode, 3) << wrong.out;
    EXPECT_EQ(wrong.out.find("nope"), std::string::npos) << wrong.out;
}

TEST_F(Password, IsNotNeededForAFileWithout) {
    writeFile("open.adx", buildFile({{recordWith("a.jpg", ""), pictureBytes(50), {}}}));
    EXPECT_EQ(run({"list", "open.adx"}).exitCode, 0);
    EXPECT_EQ(run({"list", "open.adx", "--password", "anything"}).exitCode, 0);
}

TEST_F(Password, OfSixteenBytesIsComparedWhole) {
    const std::string sixteen = "パスワード１２３"; // 16 bytes in code page 932
    ASSERT_EQ(cp932(sixteen).size(), 16u);
    writeFile("long.adx",
              buildFile({{recordWith("a.jpg", ""), pictureBytes(50), {}}}, cp932(sixteen)));
    EXPECT_EQ(run({"list", "long.adx", "--password", sixteen}).exitCode, 0);
    expectOneLineFailure(run({"list", "long.adx", "--password", "パスワード１２"}), 3);
}

} // namespace
} // namespace pdt::test
