// One rule, three judges: the editor's check before attaching, adxtool pack and adxtool
// verify give the same verdict on every picture of the odd corpus, and a picture the editor
// takes never makes verify fail once it is stored.

#include "app/picture_refusal.h"
#include "cli/cli_fixture.h"
#include "preview/odd_pictures.h"

namespace pdt::test {
namespace {

class PictureAcceptance : public CliTest {};

Bytes bytesOf(const QByteArray& b) {
    return Bytes(b.begin(), b.end());
}

TEST_F(PictureAcceptance, TheEditorPackAndVerifyAgreeOnEveryOddPicture) {
    const Bytes puzzle = picture("puzzle.jpg", 640, 480);
    for (const OddPicture& odd : oddPictures()) {
        SCOPED_TRACE(odd.name);
        write(odd.name, bytesOf(odd.bytes));
        const session::PictureFacts editor = app::checkPicture(path(odd.name));

        write("set.json", R"({"patterns": [{"puzzle": "puzzle.jpg", "finished": ")" + odd.name +
                              R"(", "pieceCount": 12}]})");
        const ToolRun pack = run({"pack", "set.json", "-o", "set.adx", "--force"});

        write("stored.adx",
              buildFile({{recordWith("puzzle.jpg", odd.name, 12), puzzle, bytesOf(odd.bytes)}}));
        const ToolRun verify = run({"verify", "stored.adx"});

        EXPECT_EQ(!editor.refusal, odd.accepted);
        EXPECT_EQ(editor.orientation != 1, odd.name == "tagged.jpg");
        EXPECT_EQ(pack.exitCode, odd.accepted ? 0 : 1) << pack.err;
        EXPECT_EQ(verify.exitCode, odd.accepted ? 0 : 1) << verify.out;
        if (odd.accepted)
            continue;
        // Each names the kind: the warning that made pixels up, or what the picture is.
        const std::string said = odd.unreadable.kind != preview::UnreadableKind::None
                                     ? preview::describeUnreadable(odd.unreadable)
                                     : std::string(preview::describeWarning(odd.kinds.back()));
        EXPECT_NE(pack.err.find(said), std::string::npos) << pack.err;
        EXPECT_NE(verify.out.find(said), std::string::npos) << verify.out;
        const std::string& text = editor.refusal ? editor.refusal->text : "";
        EXPECT_NE(text.find(odd.editorSays.empty() ? "壊れている" : odd.editorSays),
                  std::string::npos)
            << text;
    }
}

} // namespace
} // namespace pdt::test
