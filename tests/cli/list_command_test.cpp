// adxtool list, run as a separate process.

#include "cli/cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace pdt::test {
namespace {

class ListCommand : public CliTest {};

QJsonObject parseObject(const std::string& text) {
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return doc.object();
}

// The keys appear in the text in this order, starting at `from`.
void expectKeyOrder(const std::string& text, size_t from, const std::vector<std::string>& keys) {
    size_t at = from;
    for (const auto& key : keys) {
        const auto next = text.find("\"" + key + "\"", at);
        ASSERT_NE(next, std::string::npos) << key << " missing or out of order";
        at = next;
    }
}

// Two patterns: puzzle and finished picture with every text set; then only a finished
// picture, in a slot once vacated by a deletion (auxWord 100) and a negative piece count.
Bytes twoPatternFile() {
    auto first = recordWith("C:\\pics\\a.jpg", "", 12, 1, "完成です\r\n次へ", "ｶﾅ と ～");
    auto second = recordWith("", "D:\\写真\\表.bmp", -5, 0);
    second.auxWord = 100;
    return buildFile(
        {{first, pictureBytes(1000), pictureBytes(2000, 9)}, {second, {}, pictureBytes(300, 3)}},
        {}, 1);
}

TEST_F(ListCommand, GivesEveryStoredFieldAsJsonInTheDocumentedOrder) {
    const Bytes file = twoPatternFile();
    writeFile("two.adx", file);
    const auto r = run({"list", "two.adx", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");

    const QJsonObject o = parseObject(r.out);
    EXPECT_EQ(o["countByte"].toInt(), 2);
    EXPECT_EQ(o["hasPassword"].toBool(true), false);
    EXPECT_EQ(o["vendorInfo"].toInt(), 1);
    EXPECT_EQ(o["fileSize"].toInteger(), qint64(file.size()));
    EXPECT_TRUE(o["damage"].isNull());
    const QJsonArray patterns = o["patterns"].toArray();
    ASSERT_EQ(patterns.size(), 2);

    const QJsonObject p1 = patterns[0].toObject();
    EXPECT_EQ(p1["number"].toInt(), 1);
    EXPECT_EQ(p1["recordSize"].toInt(), 1154);
    EXPECT_EQ(p1["vendorInfo"].toInt(), 1);
    EXPECT_EQ(p1["recordOffset"].toInt(), 20);
    EXPECT_EQ(p1["puzzle"].toObject()["path"].toString().toStdString(), "C:\\pics\\a.jpg");
    EXPECT_EQ(p1["puzzle"].toObject()["offset"].toInt(), 1174);
    EXPECT_EQ(p1["puzzle"].toObject()["size"].toInt(), 1000);
    EXPECT_EQ(p1["finished"].toObject()["path"].toString().toStdString(), "");
    EXPECT_EQ(p1["finished"].toObject()["offset"].toInt(), 2174);
    EXPECT_EQ(p1["finished"].toObject()["size"].toInt(), 2000);
    EXPECT_EQ(p1["pieceCount"].toInt(), 12);
    EXPECT_EQ(p1["auxWord"].toInt(), 0);
    EXPECT_EQ(p1["rotation"].toInt(), 1);
    EXPECT_EQ(p1["clearComment"].toString().toStdString(), "完成です\r\n次へ");
    EXPECT_EQ(p1["finishComment"].toString().toStdString(), "ｶﾅ と ～");

    const QJsonObject p2 = patterns[1].toObject();
    EXPECT_EQ(p2["number"].toInt(), 2);
    EXPECT_EQ(p2["recordOffset"].toInt(), 4174);
    EXPECT_EQ(p2["puzzle"].toObject()["offset"].toInt(), 4174 + 1154);
    EXPECT_EQ(p2["puzzle"].toObject()["size"].toInt(), 0);
    EXPECT_EQ(p2["finished"].toObject()["path"].toString().toStdString(), "D:\\写真\\表.bmp");
    EXPECT_EQ(p2["finished"].toObject()["offset"].toInt(), 4174 + 1154);
    EXPECT_EQ(p2["pieceCount"].toInt(), -5);
    EXPECT_EQ(p2["auxWord"].toInt(), 100);

    expectKeyOrder(r.out, 0,
                   {"countByte", "hasPassword", "vendorInfo", "fileSize", "damage", "patterns"});
    expectKeyOrder(r.out, r.out.find("\"number\""),
                   {"number", "recordSize", "vendorInfo", "recordOffset", "puzzle", "path",
                    "offset", "size", "finished", "path", "offset", "size", "pieceCount", "auxWord",
                    "rotation", "clearComment", "finishComment"});
}

TEST_F(ListCommand, ReportsTheCountByteAsStoredAndThePatternsTheWalkFinds) {
    Bytes file = twoPatternFile();
    file[3] = 7;
    writeFile("count.adx", file);
    const auto r = run({"list", "count.adx", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject o = parseObject(r.out);
    EXPECT_EQ(o["countByte"].toInt(), 7);
    EXPECT_EQ(o["patterns"].toArray().size(), 2);
}

TEST_F(ListCommand, ListsTheSoundRecordsOfADamagedFileAndFails) {
    Bytes file = twoPatternFile();
    file.erase(file.end() - 100, file.end()); // into the second pattern's picture
    writeFile("cut.adx", file);
    const auto r = run({"list", "cut.adx", "--json"});
    expectOneLineFailure(r, 1);
    const QJsonObject o = parseObject(r.out);
    EXPECT_EQ(o["patterns"].toArray().size(), 1);
    const std::string damage = o["damage"].toString().toStdString();
    EXPECT_NE(damage.find("pattern 2"), std::string::npos) << damage;
    EXPECT_EQ(damage.find('\n'), std::string::npos);
    EXPECT_NE(r.err.find(damage), std::string::npos) << r.err;
}

TEST_F(ListCommand, PrintsATableForPeople) {
    writeFile("two.adx", twoPatternFile());
    const auto r = run({"list", "two.adx"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("2 patterns"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("C:\\pics\\a.jpg"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("D:\\写真\\表.bmp"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('{'), std::string::npos) << "not JSON";
}

TEST_F(ListCommand, RefusesWhatIsNoPuzzleDataFileWithOneLine) {
    writeText("text.txt", "adx and some more text than a header holds");
    writeText("short.adx", "ADX");
    for (const std::string name : {"text.txt", "short.adx", "missing.adx", "."}) {
        SCOPED_TRACE(name);
        const auto r = run({"list", name, "--json"});
        expectOneLineFailure(r, 1);
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace pdt::test
