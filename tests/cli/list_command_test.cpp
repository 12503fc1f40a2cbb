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

// A JSON object as text with its keys sorted, so that objects compare field by field.
std::string canonical(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
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

// Characters JSON must escape, in a comment.
const std::string kEscaped = "quote \" backslash \\ tab\t CR\r LF\n \x01\x1f\x7f";

// Two patterns: puzzle and finished picture with every text set; then only a finished
// picture, in a slot once vacated by a deletion (auxWord 100) and a negative piece count.
Bytes twoPatternFile() {
    auto first = recordWith("C:\\pics\\a.jpg", "", 12, 1, "完成です\r\n次へ");
    puzzle::setFieldText(first.finishComment, cp932("ｶﾅ と ～"));
    auto second = recordWith("", "D:\\写真\\表.bmp", -5, 0, kEscaped);
    second.auxWord = 100;
    return buildFile(
        {{first, pictureBytes(1000), pictureBytes(2000, 9)}, {second, {}, pictureBytes(300, 3)}},
        {}, 1);
}

TEST_F(ListCommand, GivesEveryStoredFieldAsJsonInTheDocumentedOrder) {
    Bytes file = twoPatternFile();
    file[3] = 7; // the count byte as stored, the patterns the walk finds
    write("two.adx", file);
    const auto r = run({"list", "two.adx", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");

    QJsonObject o = parseObject(r.out);
    QJsonArray patterns = o["patterns"].toArray();
    ASSERT_EQ(patterns.size(), 2);
    QJsonObject second = patterns[1].toObject();
    EXPECT_EQ(second["clearComment"].toString().toStdString(), kEscaped);
    second.remove("clearComment");
    patterns[1] = second;
    o["patterns"] = patterns;
    EXPECT_EQ(canonical(o), canonical(parseObject(R"({
        "countByte": 7, "hasPassword": false, "vendorInfo": 1, "fileSize": 5628, "damage": null,
        "patterns": [
            {"number": 1, "recordSize": 1154, "vendorInfo": 1, "recordOffset": 20,
             "puzzle": {"path": "C:\\pics\\a.jpg", "offset": 1174, "size": 1000},
             "finished": {"path": "", "offset": 2174, "size": 2000},
             "pieceCount": 12, "auxWord": 0, "rotation": 1,
             "clearComment": "完成です\r\n次へ", "finishComment": "ｶﾅ と ～"},
            {"number": 2, "recordSize": 1154, "vendorInfo": 1, "recordOffset": 4174,
             "puzzle": {"path": "", "offset": 5328, "size": 0},
             "finished": {"path": "D:\\写真\\表.bmp", "offset": 5328, "size": 300},
             "pieceCount": -5, "auxWord": 100, "rotation": 0, "finishComment": ""}
        ]})")));

    expectKeyOrder(r.out, 0,
                   {"countByte", "hasPassword", "vendorInfo", "fileSize", "damage", "patterns"});
    expectKeyOrder(r.out, r.out.find("\"number\""),
                   {"number", "recordSize", "vendorInfo", "recordOffset", "puzzle", "path",
                    "offset", "size", "finished", "path", "offset", "size", "pieceCount", "auxWord",
                    "rotation", "clearComment", "finishComment"});
}

// The sound records of a damaged file are listed, as JSON or as a table for people, and
// the listing fails with the damage.
TEST_F(ListCommand, ListsTheSoundRecordsOfADamagedFileAndFails) {
    Bytes file = twoPatternFile();
    file.erase(file.end() - 100, file.end()); // into the second pattern's picture
    write("cut.adx", file);
    const auto r = run({"list", "cut.adx", "--json"});
    expectOneLineFailure(r, 1);
    const QJsonObject o = parseObject(r.out);
    EXPECT_EQ(o["patterns"].toArray().size(), 1);
    const std::string damage = o["damage"].toString().toStdString();
    EXPECT_NE(damage.find("pattern 2"), std::string::npos) << damage;
    EXPECT_NE(r.err.find(damage), std::string::npos) << r.err;

    const auto table = run({"list", "cut.adx"});
    expectOneLineFailure(table, 1);
    for (const std::string shown : {"1 pattern", "C:\\pics\\a.jpg", "\"完成です??次へ\""})
        EXPECT_NE(table.out.find(shown), std::string::npos) << table.out;
}

} // namespace
} // namespace pdt::test
