#include "app/main_window.h"

#include "preview/picture_conversion.h"
#include "preview/test_pictures.h"
#include "window_driver.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using puzzle::MessageIcon;

namespace {

const ShownMessage kSaved = shown("ファイルを保存しました。");
const ShownMessage kTooSmall =
    shown("幅・高さが２００ドット以下ＣＧは、設定することが出来ません。");
const ShownMessage kNotAJoinedFile = shown("このファイルは連結されたファイルではありません。");

const char* const kFrame[] = {"IDC_PUZZLE_PREVIEW", "IDC_FINISHED_PREVIEW"};

const std::vector<QString> kSquareCounts = {"4", "9", "16", "25", "36", "49", "64", "81", "100"};

QRgb centreOf(const QImage& image) {
    return image.pixel(image.width() / 2, image.height() / 2);
}

class WindowPictures : public WindowTest {
  protected:
    static QImage surface(const EditorWindow& w, int slot) {
        const preview::PreviewSurfaces& s = w.window->previewSurfaces();
        return slot == 0 ? s.puzzleSurface.image : s.finishedSurface.image;
    }

    // What the window shows inside a preview frame, painted afresh.
    static QImage shownInFrame(const EditorWindow& w, int slot) {
        auto* frame = w.find<QWidget>(kFrame[slot]);
        QWidget* client = w.window->centralWidget();
        return client->grab(QRect(frame->mapTo(client, QPoint(0, 0)), frame->size())).toImage();
    }
};

} // namespace

// A set made on screen: the add dialog, the piece choices, the save, the reopened set's
// previews (from the cache once seen), and each picture extracted as it was attached.
TEST_F(WindowPictures, ASetAuthoredOnScreenIsSavedReopenedAndExtracted) {
    // Pattern k, slot s: its picture file.
    const QString pictures[2][2] = {
        {picture("sky.jpg", 640, 480), picture("sky-done.bmp")},
        {picture("sea.bmp", 200, 200), picture("sea-done.jpg", 480, 640)},
    };
    EditorWindow w;
    w.attach(1, ""); // cancelled: nothing attached, yet it counts as an edit
    EXPECT_TRUE(w.unsaved());
    w.attach(0, pictures[0][0]);
    // The previews name their pictures.
    const QString info = w.find<QWidget>(kFrame[0])->toolTip();
    EXPECT_TRUE(info.startsWith("sky.jpg") && info.contains("640×480")) << info.toStdString();
    EXPECT_TRUE(w.find<QWidget>(kFrame[1])->toolTip().isEmpty());
    w.choosePieceCount("48");
    w.attach(1, pictures[0][1]);
    w.typeInto(w.finishComment(), QString::fromUtf8("一つ目のおわり"));
    QTest::mouseClick(w.rotation(), Qt::LeftButton);
    w.click("IDC_ADD_PATTERN");
    w.attach(0, pictures[1][0]);
    w.choosePieceCount("9");
    w.attach(1, pictures[1][1]);
    // The dialog offers the last choice, whatever the slot.
    std::vector<QString> proposed;
    for (const app::FileDialogRequest& asked : w.prompts.openRequests)
        proposed.push_back(asked.proposed);
    EXPECT_EQ(proposed,
              (std::vector<QString>{"", "", pictures[0][0], pictures[0][1], pictures[1][0]}));
    w.saveAs(path("set.ADX"));
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kSaved});
    // What was chosen on screen reached the records.
    const puzzle::PatternRecord& first = w.doc().pattern(0);
    EXPECT_EQ(first.pieceCount, 48);
    EXPECT_EQ(w.doc().pattern(1).pieceCount, 9);
    EXPECT_EQ(first.rotation, 1);
    EXPECT_EQ(puzzle::fieldText(first.finishComment), cp932("一つ目のおわり"));

    EditorWindow reopened;
    reopened.open(path("set.ADX"));
    EXPECT_TRUE(reopened.prompts.messages.empty());
    EXPECT_TRUE(storedPart(reopened.doc()) == storedPart(w.doc()));
    // The stored count comes back chosen among the choices of the stored picture.
    EXPECT_EQ(reopened.pieceChoices().size(), 30u);
    EXPECT_EQ(reopened.minPieces()->currentText(), "48");
    for (int k = 0; k < 2; ++k) {
        reopened.clickRow(k);
        for (int s = 0; s < 2; ++s) {
            SCOPED_TRACE(pictures[k][s].toStdString());
            const QString target = path(QString("out-%1-%2").arg(k).arg(s));
            reopened.prompts.messages.clear();
            reopened.extract(s, target);
            const app::FileDialogRequest& asked = reopened.prompts.saveRequests.back();
            // The stored name, in the folder of the set it comes from.
            EXPECT_EQ(asked.proposed, path(QFileInfo(pictures[k][s]).fileName()));
            EXPECT_EQ(reopened.prompts.messages,
                      std::vector<ShownMessage>{shown("ファイルを抽出しました。")});
            EXPECT_EQ(readFile(target), readFile(pictures[k][s]));
        }
    }
    EXPECT_EQ(reopened.pieceChoices(), kSquareCounts);
    EXPECT_EQ(reopened.minPieces()->currentText(), "9");
    EXPECT_FALSE(reopened.unsaved()) << "extracting is no edit";

    // The stored pictures are what the frames show.
    reopened.clickRow(0);
    const QImage painted[] = {shownInFrame(reopened, 0), shownInFrame(reopened, 1)};
    EXPECT_FALSE(allWhite(painted[0]));
    EXPECT_FALSE(allWhite(painted[1]));
    // Committing what an opened file shows keeps the stored counts.
    reopened.window->commit();
    EXPECT_EQ(reopened.doc().pattern(0).pieceCount, 48);
    EXPECT_EQ(reopened.doc().pattern(1).pieceCount, 9);
}

// The choices come from the puzzle picture alone, and each pattern keeps its own count.
TEST_F(WindowPictures, PieceChoicesComeFromThePuzzlePictureAlone) {
    EditorWindow w;
    w.typeInto(w.finishComment(), "kept");
    w.attach(0, picture("square.bmp", 200, 200));
    const puzzle::PatternRecord& r = w.doc().pattern(0);
    EXPECT_EQ(w.pieceChoices(), kSquareCounts);
    EXPECT_EQ(w.minPieces()->currentIndex(), 0);
    w.choosePieceCount("25");
    // A finished picture too small for pieces is no puzzle picture: no message.
    w.attach(1, picture("tiny.bmp", 100, 100));
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.pieceChoices(), kSquareCounts);
    EXPECT_EQ(puzzle::fieldText(r.finishComment), "kept");

    // Pattern 2 has only a finished picture that would admit grids; shown again, each
    // pattern rebuilds its choices from its own puzzle picture. One without choices keeps
    // its count, never one another picture offered.
    w.click("IDC_ADD_PATTERN");
    w.attach(1, picture("wide.bmp", 640, 480));
    EXPECT_EQ(w.minPieces()->count(), 0);
    w.clickRow(0);
    EXPECT_EQ(w.pieceChoices(), kSquareCounts);
    EXPECT_EQ(w.minPieces()->currentText(), "25");
    w.clickRow(1);
    EXPECT_EQ(w.minPieces()->count(), 0);
    w.saveAs(path("set.ADX"));
    EXPECT_EQ(w.doc().pattern(0).pieceCount, 25);
    EXPECT_EQ(w.doc().pattern(1).pieceCount, 0);
}

TEST_F(WindowPictures, DeletingAPictureBlanksItsPreviewAndCountsAsAnEdit) {
    const QString red = picture("red.bmp", 640, 480, Qt::red);
    for (const int slot : {0, 1}) {
        SCOPED_TRACE(slot);
        EditorWindow w;
        w.attach(0, red);
        w.attach(1, red);
        w.choosePieceCount("12");
        w.saveAs(path(QString("set%1.ADX").arg(slot)));
        ASSERT_FALSE(w.unsaved());
        EXPECT_TRUE(near(centreOf(shownInFrame(w, slot)), Qt::red));

        w.click(slot == 0 ? "IDC_DELETE_PUZZLE_IMAGE" : "IDC_DELETE_FINISHED_IMAGE");
        EXPECT_EQ(puzzle::slotOffset(w.doc().pattern(0), slot), 0);
        EXPECT_EQ(puzzle::slotSize(w.doc().pattern(0), slot), 0);
        EXPECT_NE(puzzle::slotSize(w.doc().pattern(0), 1 - slot), 0);
        EXPECT_TRUE(w.unsaved());
        EXPECT_EQ(w.minPieces()->currentText(), "12");
        EXPECT_TRUE(allWhite(surface(w, slot)));
        EXPECT_EQ(surface(w, slot).size(), w.find<QWidget>(kFrame[slot])->size());
        EXPECT_TRUE(isWhite(centreOf(shownInFrame(w, slot))));
        EXPECT_TRUE(near(centreOf(shownInFrame(w, 1 - slot)), Qt::red));
    }
}

// A picture the decoder cannot read, and a puzzle picture too small for pieces or admitting
// no grid, is refused before anything changes, whether chosen in the dialog or dropped.
TEST_F(WindowPictures, APictureThatCannotBeUsedIsRefusedChangingNothing) {
    const QString notAPicture = path("notes.bmp");
    writeFile(notAPicture, bytesOf("these are no pixels"));
    Bytes cut = readFile(picture("whole.jpg", 640, 480));
    cut.resize(cut.size() / 2);
    writeFile(path("cut.jpg"), cut);
    const ShownMessage notKnown = shown("このファイルは画像として読み込めないため、設定できません"
                                        "（ＢＭＰ・ＪＰＥＧ・ＧＩＦが使えます）。",
                                        MessageIcon::Error);
    const struct {
        QString file;
        ShownMessage message;
        bool puzzleOnly; // refused as a puzzle picture only
        bool dropped;    // also when dropped; a drop takes what is no picture for a set
    } cases[] = {
        {notAPicture, notKnown, false, false},
        {path("cut.jpg"),
         shown("この画像は壊れているか途中で切れているため、設定できません。", MessageIcon::Error),
         false, true},
        {picture("narrow.bmp", 150, 400), kTooSmall, true, true},
        {picture("band.jpg", 20000, 200), kTooSmall, true, true},
    };
    for (const int slot : {0, 1}) {
        EditorWindow w;
        w.attach(1 - slot, picture("other.bmp", 300, 300));
        w.attach(slot, picture("before.bmp", 300, 300, Qt::red));
        w.choosePieceCount("25");
        const auto table = w.doc().table;
        const std::vector<QString> choices = w.pieceChoices();
        for (const auto& c : cases) {
            for (const bool dropped : {false, true}) {
                if ((c.puzzleOnly && slot == 1) || (dropped && !c.dropped))
                    continue;
                SCOPED_TRACE(c.file.toStdString() + " slot " + std::to_string(slot) +
                             (dropped ? " dropped" : ""));
                w.prompts.messages.clear();
                dropped ? w.dropFiles({c.file}, w.find<QWidget>(kFrame[slot]))
                        : w.attach(slot, c.file);
                EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{c.message});
                EXPECT_TRUE(w.doc().table == table);
                EXPECT_TRUE(near(centreOf(surface(w, slot)), Qt::red));
                EXPECT_EQ(w.pieceChoices(), choices);
                EXPECT_EQ(w.minPieces()->currentText(), "25");
            }
        }
        // A good picture whose check is cancelled changes nothing either.
        const int checks = w.prompts.pictureChecks;
        w.prompts.cancelProgressAt = 1;
        w.attach(slot, picture("good.bmp", 300, 300));
        EXPECT_EQ(w.prompts.pictureChecks, checks + 1);
        EXPECT_TRUE(w.doc().table == table);
        w.prompts.cancelProgressAt.reset();
    }
}

// While pictures are checked the window takes no input, and a close that arrives meanwhile
// ends the check: nothing is attached to a closed window, or to one that stays open.
TEST_F(WindowPictures, NothingReachesTheWindowWhilePicturesAreChecked) {
    const QString photo = picture("photo.bmp");
    for (const bool closes : {false, true}) {
        SCOPED_TRACE(closes);
        EditorWindow w;
        w.prompts.duringProgress = [&] {
            w.prompts.duringProgress = nullptr;
            QTest::mouseClick(w.find<QAbstractButton>("IDC_ADD_PATTERN"), Qt::LeftButton);
            w.prompts.answers = {closes};
            w.window->close();
        };
        w.attach(0, photo);
        EXPECT_EQ(w.window->isVisible(), !closes);
        EXPECT_EQ(w.prompts.questions.size(), 1u) << "the attach command counts as an edit";
        EXPECT_EQ(w.doc().patternCount(), 1) << "the click waited for nothing";
        EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, 0);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        if (!closes) {
            // Commands the program gives at once (as the screenshot mode does) take turns.
            w.prompts.openChoices = {photo, photo};
            w.find<QAbstractButton>("IDC_ADD_PUZZLE_IMAGE")->click();
            w.find<QAbstractButton>("IDC_ADD_FINISHED_IMAGE")->click();
            settle();
            for (const int slot : {0, 1})
                EXPECT_EQ(w.doc().pattern(0).sourceFiles[size_t(slot)],
                          QFile::encodeName(photo).toStdString());
        }
    }
}

TEST_F(WindowPictures, SurfacesThatCannotBeMadeAreReportedAndTheWindowCloses) {
    FakePrompts prompts;
    app::EditorSettings settings(path("settings.ini"));
    app::MainWindow window(app::DialogVariant::PZ_BIND, prompts, &settings);
    window.setSurfaceCreation([](preview::PreviewSurfaces&, int, int) { return false; });
    window.show();
    window.grab();
    settle();
    EXPECT_EQ(prompts.messages, std::vector<ShownMessage>{shown("表示用メモリを確保できません")});
    EXPECT_FALSE(window.isVisible()) << "closed by the queued exit, without a question";
}

// A picture dropped on a frame is attached to that slot; a puzzle data file opens wherever
// it is dropped, never pasted into an edit, and leaves the document clean.
TEST_F(WindowPictures, DropsAttachPicturesToTheirFrameAndOpenSetsAnywhere) {
    const QString wide = picture("wide.bmp", 640, 480);
    EditorWindow w;
    QWidget* frames[] = {w.find<QWidget>(kFrame[0]), w.find<QWidget>(kFrame[1])};
    w.dropFiles({wide}, frames[1]);
    EXPECT_EQ(w.doc().pattern(0).sourceFiles[1], QFile::encodeName(wide).toStdString());
    EXPECT_EQ(w.minPieces()->count(), 0);
    EXPECT_TRUE(w.unsaved());
    w.dropFiles({wide}, frames[0]);
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, QFileInfo(wide).size());
    EXPECT_EQ(w.pieceChoices().size(), 30u);
    EXPECT_TRUE(w.prompts.openRequests.empty()) << "no dialog for a drop";

    // What is no picture gets the window's answers: two files; a file that is neither
    // dropped on a frame; a picture dropped beside the frames (opened as a set).
    const auto before = w.doc().table;
    writeFile(path("notes.txt"), bytesOf("not a picture, and longer than a file header"));
    w.dropFiles({wide, path("notes.txt")}, frames[0]);
    w.dropFiles({path("notes.txt")}, frames[1]);
    w.dropFiles({wide}, w.password());
    EXPECT_EQ(
        w.prompts.messages,
        (std::vector<ShownMessage>{shown("ドロップできるファイルは １つです。", MessageIcon::Error),
                                   kNotAJoinedFile, kNotAJoinedFile}));
    EXPECT_TRUE(w.doc().table == before);

    PatternSpec one;
    puzzle::setFieldText(one.record.clearComment, "opened");
    writeFile(path("set.ADX"), buildFile({one}));
    w.typeInto(w.clearComment(), "unsaved");
    w.dropFiles({path("set.ADX")}, w.finishComment());
    EXPECT_EQ(w.state().currentFilePath, QFile::encodeName(path("set.ADX")).toStdString());
    EXPECT_EQ(w.clearComment()->toPlainText(), "opened");
    EXPECT_EQ(w.finishComment()->toPlainText(), "");
    EXPECT_FALSE(w.unsaved());
    EXPECT_TRUE(allWhite(surface(w, 0)));
}

// A picture of a format the player does not read: the editor asks once per action whether
// to convert it. Yes stores the JPEG it converts to, recorded under the JPEG's name next to
// the original, its preview described as converted; no refuses it naming its format.
// Several pictures added as patterns take one question naming how many. The picture
// dialogs offer such files under an entry of their own, after the four of old.
TEST_F(WindowPictures, PicturesOfOtherFormatsBecomeJpegsWhenTheAuthorAgrees) {
    const QString shot = picture("shot.png", 320, 240);
    const QString photo = picture("photo.webp", 640, 480);
    ASSERT_TRUE(preview::convertToJpeg(QFile::encodeName(shot).toStdString(),
                                       QFile::encodeName(path("expected.jpg")).toStdString())
                    .done);
    const Bytes expected = readFile(path("expected.jpg"));
    const std::string ask =
        "この画像は PNG 形式のため、そのままでは使えません。JPEG 形式に変換して設定しますか？";
    EditorWindow w;
    w.prompts.answers = {false};
    w.attach(0, shot);
    ASSERT_EQ(w.prompts.questions.size(), 1u);
    EXPECT_EQ(w.prompts.questions[0].caption, "画像の変換");
    EXPECT_EQ(w.prompts.questions[0].text, ask);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{
                                      shown("この画像は PNG 形式のため、そのままでは設定できません"
                                            "（BMP・JPEG・GIF が使えます）。",
                                            MessageIcon::Error)});
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, 0);
    EXPECT_EQ(w.prompts.openRequests.back().filters.size(), 5u);
    EXPECT_EQ(w.prompts.openRequests.back().filters.back(),
              (app::FileFilter{"変換して使える画像ﾌｧｲﾙ (*.png;*.webp;*.tif;*.tiff)",
                               "*.png;*.webp;*.tif;*.tiff"}));

    w.prompts.answers = {true, true};
    w.attach(0, shot);
    w.dropFiles({shot}, w.find<QWidget>(kFrame[1]));
    EXPECT_EQ(w.prompts.questions.size(), 3u);
    EXPECT_EQ(w.pieceChoices().size(), 14u) << "those of a 320 x 240 picture";
    for (const int slot : {0, 1}) {
        const puzzle::PatternRecord& r = w.doc().pattern(0);
        EXPECT_EQ(readFile(QString::fromStdString(r.sourceFiles[size_t(slot)])), expected);
        EXPECT_EQ(puzzle::fieldText(puzzle::slotPath(r, slot)),
                  QFile::encodeName(path("shot.jpg")).toStdString());
        EXPECT_TRUE(w.find<QWidget>(kFrame[slot])->toolTip().contains("JPEG 形式に変換した画像"));
    }

    w.prompts.answers = {true};
    w.prompts.openManyChoices = {{shot, photo, picture("plain.jpg")}};
    w.trigger("IDM_ADD_FROM_PICTURES");
    EXPECT_EQ(w.prompts.questions.back().text, "2 枚の画像は WebP・PNG 形式のため、そのままでは"
                                               "使えません。JPEG 形式に変換して設定しますか？");
    EXPECT_EQ(w.doc().patternCount(), 4);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(1).puzzleImagePath),
              QFile::encodeName(path("photo.jpg")).toStdString());
    EXPECT_EQ(w.doc().pattern(3).finishedImageSize, int(expected.size())) << "in name order";
}

// A photo whose orientation tag is not "normal" lies on its side in the player. The editor
// says so once per action and, when the author agrees, stores it upright under its own
// name, its size and piece counts those of the upright picture; otherwise it is attached
// as it is.
TEST_F(WindowPictures, TaggedPhotosAreStoredUprightWhenTheAuthorAgrees) {
    const auto tagged = [&](const QString& name) {
        const QString file = path(name);
        EXPECT_TRUE(writeBytes(
            file, withExifOrientation(encodePicture(quadrantPicture(640, 480), "jpeg"), 6)));
        return file;
    };
    const QString photo = tagged("photo.jpg");
    const std::string ask = "この写真には向きの情報があります。パズルでは横向きに表示されます。"
                            "正しい向きに回転して設定しますか？";
    EditorWindow w;
    w.prompts.answers = {false, true};
    w.attach(1, photo);
    EXPECT_EQ(w.doc().pattern(0).sourceFiles[1], QFile::encodeName(photo).toStdString());
    w.attach(0, photo);
    ASSERT_EQ(w.prompts.questions.size(), 2u);
    for (const app::Question& q : w.prompts.questions) {
        EXPECT_EQ(q.caption, "画像の向き");
        EXPECT_EQ(q.text, ask);
    }
    EXPECT_TRUE(w.prompts.messages.empty());
    const puzzle::PatternRecord& r = w.doc().pattern(0);
    EXPECT_EQ(puzzle::fieldText(r.puzzleImagePath), QFile::encodeName(photo).toStdString());
    EXPECT_NE(r.sourceFiles[0], r.sourceFiles[1]);
    const QImage stored(QString::fromStdString(r.sourceFiles[0]));
    ASSERT_EQ(stored.size(), QSize(480, 640));
    EXPECT_TRUE(near(stored.pixel(100, 100), kBottomLeft)) << "turned clockwise";
    const QString info = w.find<QWidget>(kFrame[0])->toolTip();
    EXPECT_TRUE(info.contains("480×640") && info.contains("正しい向きに回転した画像"))
        << info.toStdString();

    w.prompts.answers = {true};
    w.prompts.openManyChoices = {{tagged("a.jpg"), tagged("b.jpg")}};
    w.trigger("IDM_ADD_FROM_PICTURES");
    EXPECT_EQ(w.prompts.questions.back().text,
              "2 枚の写真には向きの情報があります。パズルでは横向きに表示されます。"
              "正しい向きに回転して設定しますか？");
    ASSERT_EQ(w.doc().patternCount(), 3);
    EXPECT_EQ(QImage(QString::fromStdString(w.doc().pattern(2).sourceFiles[1])).size(),
              QSize(480, 640));
}
