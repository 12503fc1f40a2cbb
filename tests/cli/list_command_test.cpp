// adxtool list, run as a separate process.

#include "cli/cli_fixture.h"

namespace pdt::test {
namespace {

class ListCommand : public CliTest {};

// Every stored field, in the documented order, of two patterns: puzzle and finished picture
// with every text set; then only a finished picture, in a slot once vacated by a deletion
// (auxWord 100), a negative piece count and a comment JSON must escape. Stray bytes after
// the last picture are damage, listed with the sound records, and the listing fails.
TEST_F(ListCommand, GivesEveryStoredFieldAsJsonInTheDocumentedOrder) {
    auto first = recordWith("C:\\pics\\a.jpg", "", 12, 1, "完成です\r\n次へ");
    puzzle::setFieldText(first.finishComment, cp932("ｶﾅ と ～"));
    auto second =
        recordWith("", "D:\\写真\\表.bmp", -5, 0, "quote \" backslash \\ tab\t CR\r LF\n \x01\x1f");
    second.auxWord = 100;
    Bytes file = buildFile(
        {{first, pictureBytes(1000), pictureBytes(2000, 9)}, {second, {}, pictureBytes(300, 3)}},
        {}, 1);
    file[3] = 7; // the count byte as stored, the patterns the walk finds
    file.push_back('j');
    write("two.adx", file);
    const auto r = run({"list", "two.adx", "--json"});
    expectOneLineFailure(r, 1);
    EXPECT_EQ(r.err, "adxtool: two.adx: unexpected bytes after the last picture, from offset "
                     "5628\n");
    EXPECT_EQ(r.out, R"({
  "countByte": 7,
  "hasPassword": false,
  "vendorInfo": 1,
  "fileSize": 5629,
  "damage": "unexpected bytes after the last picture, from offset 5628",
  "patterns": [
    {
      "number": 1,
      "recordSize": 1154,
      "vendorInfo": 1,
      "recordOffset": 20,
      "puzzle": {"path": "C:\\pics\\a.jpg", "offset": 1174, "size": 1000},
      "finished": {"path": "", "offset": 2174, "size": 2000},
      "pieceCount": 12,
      "auxWord": 0,
      "rotation": 1,
      "clearComment": "完成です\r\n次へ",
      "finishComment": "ｶﾅ と ～"
    },
    {
      "number": 2,
      "recordSize": 1154,
      "vendorInfo": 1,
      "recordOffset": 4174,
      "puzzle": {"path": "", "offset": 5328, "size": 0},
      "finished": {"path": "D:\\写真\\表.bmp", "offset": 5328, "size": 300},
      "pieceCount": -5,
      "auxWord": 100,
      "rotation": 0,
      "clearComment": "quote \" backslash \\ tab\t CR\r LF\n \u0001\u001f",
      "finishComment": ""
    }
  ]
}
)");

    // A record cut short: the sound ones are listed, as a table for people.
    file.erase(file.end() - 101, file.end());
    write("cut.adx", file);
    const auto table = run({"list", "cut.adx"});
    expectOneLineFailure(table, 1);
    EXPECT_NE(table.err.find("pattern 2"), std::string::npos) << table.err;
    for (const std::string shown : {"1 pattern,", "C:\\pics\\a.jpg", "\"完成です??次へ\""})
        EXPECT_NE(table.out.find(shown), std::string::npos) << table.out;
}

} // namespace
} // namespace pdt::test
