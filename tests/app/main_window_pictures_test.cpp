#include "app/main_window.h"

#include "preview/picture_decoder.h"
#include "preview/test_pictures.h"
#include "support/picture_files.h"
#include "window_driver.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using puzzle::MessageIcon;

namespace {

const ShownMessage kSaved = shown("ファイルを保存しました。");
const ShownMessage kTooSmall =
    shown("幅・高さが２００ドット以下ＣＧは、設定することが出来ません。");
const ShownMessage kSeveral = shown("複数のパターンが選択されています。", MessageIcon::Error);
const ShownMessage kNotJoined =
    shown("この位置の画像はまだ連結されていません。", MessageIcon::Error);
const ShownMessage kNotAJoinedFile = shown("このファイルは連結されたファイルではありません。");

const char* const kAddButton[] = {"IDC_ADD_PUZZLE_IMAGE", "IDC_ADD_FINISHED_IMAGE"};
const char* const kExtractButton[] = {"IDC_EXTRACT_PUZZLE_IMAGE", "IDC_EXTRACT_FINISHED_IMAGE"};
const char* const kDeleteButton[] = {"IDC_DELETE_PUZZLE_IMAGE", "IDC_DELETE_FINISHED_IMAGE"};
const char* const kFrame[] = {"IDC_PUZZLE_PREVIEW", "IDC_FINISHED_PREVIEW"};

const std::vector<QString> kSquareCounts = {"4", "9", "16", "25", "36", "49", "64", "81", "100"};

bool isRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

QRgb centreOf(const QImage& image) {
    return image.pixel(image.width() / 2, image.height() / 2);
}

class WindowPictures : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // A w x h picture file made here; a gradient unless a colour is given.
    QString picture(const QString& name, int w, int h, const char* format = "bmp",
                    std::optional<QColor> colour = std::nullopt) {
        QImage image = gradientPicture(w, h);
        if (colour)
            image.fill(*colour);
        const QString p = path(name);
        EXPECT_TRUE(image.save(p, format)) << name.toStdString();
        return p;
    }

    static void addPicture(EditorWindow& w, int slot, const QString& file) {
        w.prompts.openChoices.push_back(file);
        w.click(kAddButton[slot]);
    }

    static void extract(EditorWindow& w, int slot, const QString& target) {
        w.prompts.saveChoices.push_back(target);
        w.click(kExtractButton[slot]);
    }

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

TEST_F(WindowPictures, ANewSetAuthoredFromScratchIsSavedInTheLayoutReopensAndExtracts) {
    // Pattern k, slot s: its picture file.
    const QString pictures[2][2] = {
        {picture("sky.jpg", 640, 480, "jpeg"), picture("sky-done.bmp", 320, 240)},
        {picture("sea.bmp", 200, 200), picture("sea-done.jpg", 480, 640, "jpeg")},
    };

    EditorWindow w;
    addPicture(w, 0, pictures[0][0]);
    EXPECT_EQ(w.pieceChoices().size(), 30u);
    w.choosePieceCount("48");
    addPicture(w, 1, pictures[0][1]);
    w.typeInto(w.clearComment(), QString::fromUtf8("一つ目のクリア"));
    w.typeInto(w.finishComment(), QString::fromUtf8("一つ目のおわり"));
    QTest::mouseClick(w.rotation(), Qt::LeftButton);

    w.click("IDC_ADD_PATTERN");
    addPicture(w, 0, pictures[1][0]);
    w.choosePieceCount("9");
    addPicture(w, 1, pictures[1][1]);
    w.typeInto(w.clearComment(), QString::fromUtf8("二つ目"));

    const QString file = path("set.ADX");
    w.saveAs(file);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kSaved});

    // What was chosen on screen reached the records.
    const puzzle::PatternRecord& first = w.doc().pattern(0);
    EXPECT_EQ(first.pieceCount, 48);
    EXPECT_EQ(w.doc().pattern(1).pieceCount, 9);
    EXPECT_EQ(first.rotation, 1);
    EXPECT_EQ(puzzle::fieldText(first.clearComment), cp932("一つ目のクリア"));
    EXPECT_EQ(puzzle::fieldText(first.finishComment), cp932("一つ目のおわり"));
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(1).clearComment), cp932("二つ目"));
    for (int k = 0; k < 2; ++k)
        for (int s = 0; s < 2; ++s)
            EXPECT_EQ(puzzle::fieldText(puzzle::slotPath(w.doc().pattern(k), s)),
                      QFile::encodeName(pictures[k][s]).toStdString());

    // The file is the layout for these records and the pictures' own bytes.
    std::vector<PatternSpec> specs;
    for (int k = 0; k < 2; ++k)
        specs.push_back({w.doc().pattern(k), readFile(pictures[k][0]), readFile(pictures[k][1])});
    EXPECT_EQ(readFile(file), buildFile(specs));

    EditorWindow reopened;
    reopened.open(file);
    EXPECT_TRUE(reopened.prompts.messages.empty());
    EXPECT_TRUE(storedPart(reopened.doc()) == storedPart(w.doc()));
    // The stored count comes back selected among the choices of the stored picture.
    EXPECT_EQ(reopened.pieceChoices().size(), 30u);
    EXPECT_EQ(reopened.minPieces()->currentText(), "48");
    EXPECT_FALSE(allWhite(surface(reopened, 0)));
    EXPECT_FALSE(allWhite(surface(reopened, 1)));

    for (int k = 0; k < 2; ++k) {
        reopened.clickRow(k);
        for (int s = 0; s < 2; ++s) {
            SCOPED_TRACE(pictures[k][s].toStdString());
            const QString target = path(QString("out-%1-%2").arg(k).arg(s));
            reopened.prompts.messages.clear();
            extract(reopened, s, target);
            const app::FileDialogRequest& asked = reopened.prompts.saveRequests.back();
            EXPECT_EQ(asked.title, "保存");
            EXPECT_EQ(asked.filters, (std::vector<app::FileFilter>{{"画像ﾌｧｲﾙ", ""}}));
            // The stored name, in the folder of the set it comes from.
            EXPECT_EQ(asked.proposed, path(QFileInfo(pictures[k][s]).fileName()));
            EXPECT_EQ(reopened.prompts.messages,
                      std::vector<ShownMessage>{shown("ファイルを抽出しました。")});
            EXPECT_EQ(readFile(target), readFile(pictures[k][s]));
        }
    }
    EXPECT_EQ(reopened.pieceChoices(), kSquareCounts);
    EXPECT_EQ(reopened.minPieces()->currentText(), "9");
    EXPECT_FALSE(reopened.state().dirty) << "extracting is no edit";
    // Committing what an opened file shows keeps the stored counts.
    reopened.window->commit();
    EXPECT_EQ(reopened.doc().pattern(0).pieceCount, 48);
    EXPECT_EQ(reopened.doc().pattern(1).pieceCount, 9);
}

TEST_F(WindowPictures, APuzzlePictureOffersItsPieceCountsOrIsRefusedChangingNothing) {
    EditorWindow w;
    w.typeInto(w.finishComment(), "kept");
    addPicture(w, 1, picture("done.bmp", 300, 300));
    const QString square = picture("square.bmp", 200, 200);
    addPicture(w, 0, square);
    const puzzle::PatternRecord& r = w.doc().pattern(0);
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(r.puzzleImageSize, QFileInfo(square).size());
    EXPECT_EQ(w.pieceChoices(), kSquareCounts);
    EXPECT_EQ(w.minPieces()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), w.list()) << "the focus goes back to the list";
    EXPECT_FALSE(allWhite(surface(w, 0)));
    w.choosePieceCount("25");

    // Too small for pieces, or admitting no grid: refused before anything changes, so the
    // picture it would have replaced stays with its choices.
    for (const QString& refused : {picture("narrow.bmp", 150, 400), picture("band.jpg", 20000, 200, "jpeg")}) {
        SCOPED_TRACE(refused.toStdString());
        w.prompts.messages.clear();
        addPicture(w, 0, refused);
        EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kTooSmall});
        EXPECT_EQ(puzzle::fieldText(r.puzzleImagePath), QFile::encodeName(square).toStdString());
        EXPECT_EQ(r.puzzleImageSize, QFileInfo(square).size());
        EXPECT_EQ(w.pieceChoices(), kSquareCounts);
        EXPECT_EQ(w.minPieces()->currentText(), "25");
        EXPECT_FALSE(allWhite(surface(w, 0)));
    }
    EXPECT_EQ(puzzle::fieldText(r.finishComment), "kept");
    EXPECT_NE(r.finishedImageSize, 0);
}

TEST_F(WindowPictures, NoPathStoresACountThePuzzlePictureDoesNotOffer) {
    EditorWindow w;
    // A pattern without a puzzle picture keeps its count: nothing is offered to choose from.
    addPicture(w, 1, picture("done.bmp", 300, 300));
    w.window->commit();
    EXPECT_EQ(w.doc().pattern(0).pieceCount, 0);

    // A picture, then one that is refused, then a save: the count is one the first offers.
    addPicture(w, 0, picture("wide.bmp", 640, 480));
    w.choosePieceCount("48");
    addPicture(w, 0, picture("other.png", 300, 300, "png"));
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    w.click("IDC_ADD_PATTERN");
    addPicture(w, 1, picture("done2.bmp", 300, 300));
    w.clickRow(0);
    w.saveAs(path("set.ADX"));
    EditorWindow reopened;
    reopened.open(path("set.ADX"));
    EXPECT_EQ(reopened.doc().pattern(0).pieceCount, 48);
    EXPECT_EQ(reopened.doc().pattern(1).pieceCount, 0) << "not a count of another picture";
}

TEST_F(WindowPictures, ThePieceChoicesComeFromThePuzzlePictureWhateverTheFinishedOne) {
    EditorWindow w;
    addPicture(w, 0, picture("square.bmp", 200, 200));
    w.choosePieceCount("25");
    // A finished picture too small for pieces is no puzzle picture: no message, and the
    // choices stay as they were.
    addPicture(w, 1, picture("tiny.bmp", 100, 100));
    EXPECT_EQ(w.pieceChoices(), kSquareCounts);
    EXPECT_EQ(w.minPieces()->currentText(), "25");

    // Pattern 2 has only a finished picture that would admit grids.
    w.click("IDC_ADD_PATTERN");
    addPicture(w, 1, picture("wide.bmp", 640, 480));
    EXPECT_EQ(w.minPieces()->count(), 0);

    // Shown again, each pattern rebuilds its choices from its own puzzle picture, decoded
    // before the finished one.
    w.clickRow(0);
    EXPECT_EQ(w.pieceChoices(), kSquareCounts);
    EXPECT_EQ(w.minPieces()->currentText(), "25");
    w.clickRow(1);
    EXPECT_EQ(w.minPieces()->count(), 0);
    EXPECT_TRUE(w.prompts.messages.empty());
}

TEST_F(WindowPictures, TheAddDialogOffersTheFourPictureTypesAndTheLastChoiceForBothSlots) {
    EditorWindow w;
    // Cancelling attaches nothing, yet counts as an edit.
    addPicture(w, 1, "");
    EXPECT_EQ(w.doc().pattern(0).finishedImageSize, 0);
    EXPECT_TRUE(w.state().dirty);

    const QString first = picture("first.bmp", 300, 300);
    addPicture(w, 0, first);
    // A file the engine refuses shows its refusal and attaches nothing.
    addPicture(w, 1, path("missing.bmp"));
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0].caption, "情報");
    EXPECT_EQ(w.doc().pattern(0).finishedImageSize, 0);
    addPicture(w, 0, picture("second.bmp", 300, 300));

    ASSERT_EQ(w.prompts.openRequests.size(), 4u);
    const QString proposed[] = {"", "", first, path("missing.bmp")};
    for (int i = 0; i < 4; ++i) {
        const app::FileDialogRequest& asked = w.prompts.openRequests[size_t(i)];
        EXPECT_EQ(asked.proposed, proposed[i]);
        EXPECT_EQ(asked.title, "開く");
        EXPECT_EQ(asked.filters, (std::vector<app::FileFilter>{
                                     {"利用可能な画像ﾌｧｲﾙ", "*.bmp;*.jpg;*.jpeg;*.gif"},
                                     {"ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)", "*.bmp"},
                                     {"JPEG File Interchange format(*.jpg;*.jpeg)", "*.jpg;*.jpeg"},
                                     {"GIF (*.gif)", "*.gif"}}));
    }
}

TEST_F(WindowPictures, AddingAndExtractingRefuseSeveralSelectedPatternsDeletingDoesNot) {
    EditorWindow w;
    addPicture(w, 0, picture("a.bmp", 300, 300));
    addPicture(w, 1, picture("b.bmp", 300, 300));
    w.click("IDC_ADD_PATTERN");
    addPicture(w, 0, picture("c.bmp", 300, 300));
    w.window->commit();
    w.clickRow(0, Qt::ControlModifier); // both selected, caret on entry 0
    ASSERT_EQ(w.selectedRows(), (std::vector<int>{0, 1}));
    const auto before = w.doc().table;
    const size_t dialogs = w.prompts.openRequests.size();
    w.prompts.messages.clear();

    for (const char* button : {kAddButton[0], kAddButton[1], kExtractButton[0], kExtractButton[1]})
        w.click(button);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>(4, kSeveral));
    EXPECT_EQ(w.prompts.openRequests.size(), dialogs);
    EXPECT_TRUE(w.prompts.saveRequests.empty());
    EXPECT_TRUE(w.doc().table == before);

    // Deleting acts on the caret entry's pattern without a question; the piece count and
    // the choices on screen stay.
    const int shownChoices = w.minPieces()->count();
    const int chosen = w.minPieces()->currentIndex();
    w.click(kDeleteButton[0]);
    EXPECT_EQ(w.prompts.messages.size(), 4u);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(0).puzzleImagePath), "");
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, 0);
    EXPECT_EQ(w.doc().pattern(0).finishedImageSize, before[0].finishedImageSize);
    EXPECT_EQ(w.doc().pattern(1).puzzleImageSize, before[1].puzzleImageSize);
    EXPECT_EQ(w.doc().pattern(0).pieceCount, before[0].pieceCount);
    EXPECT_EQ(w.minPieces()->count(), shownChoices);
    EXPECT_EQ(w.minPieces()->currentIndex(), chosen);
}

TEST_F(WindowPictures, DeletingAPictureBlanksItsPreviewAndCountsAsAnEdit) {
    const QString red = picture("red.bmp", 640, 480, "bmp", QColor(Qt::red));
    for (const int slot : {0, 1}) {
        SCOPED_TRACE(slot);
        EditorWindow w;
        addPicture(w, 0, red);
        addPicture(w, 1, red);
        w.choosePieceCount("12");
        w.saveAs(path(QString("set%1.ADX").arg(slot)));
        ASSERT_FALSE(w.state().dirty);
        EXPECT_TRUE(isRed(centreOf(shownInFrame(w, slot))));

        w.click(kDeleteButton[slot]);
        const puzzle::PatternRecord& r = w.doc().pattern(0);
        EXPECT_EQ(puzzle::fieldText(puzzle::slotPath(r, slot)), "");
        EXPECT_EQ(puzzle::slotOffset(r, slot), 0);
        EXPECT_EQ(puzzle::slotSize(r, slot), 0);
        EXPECT_NE(puzzle::slotSize(r, 1 - slot), 0);
        EXPECT_TRUE(w.state().dirty);
        EXPECT_EQ(r.pieceCount, 12);
        EXPECT_EQ(w.pieceChoices().size(), 30u);
        EXPECT_EQ(w.minPieces()->currentText(), "12");
        EXPECT_TRUE(allWhite(surface(w, slot)));
        EXPECT_TRUE(isWhite(centreOf(shownInFrame(w, slot))));
        EXPECT_TRUE(isRed(centreOf(shownInFrame(w, 1 - slot))));
    }
}

TEST_F(WindowPictures, ExtractingRefusesInItsOrderBeforeAnyDialog) {
    // Pattern 1 has only a finished picture; pattern 2 a puzzle picture file of no bytes.
    PatternSpec finishedOnly;
    puzzle::setFieldText(finishedOnly.record.finishedImagePath, "C:\\pictures\\done.bmp");
    finishedOnly.finished = pictureBytes(64);
    PatternSpec emptyPicture;
    puzzle::setFieldText(emptyPicture.record.puzzleImagePath, "C:\\pictures\\empty.bmp");
    const QString file = path("set.ADX");
    writeFile(file, buildFile({finishedOnly, emptyPicture}));

    const struct {
        bool fromFile;
        int row;
        int slot;
        ShownMessage message;
    } cases[] = {
        {false, 0, 0, kNotJoined}, // nothing joined in a new document comes first
        {false, 0, 1, kNotJoined},
        // The stored offset of an empty slot is not 0.
        {true, 0, 0, shown("この位置には画像が設定されていません。", MessageIcon::Error)},
        {true, 1, 0, shown("この位置の画像はファイルサイズが不正です。", MessageIcon::Error)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.text);
        EditorWindow w;
        if (c.fromFile) {
            w.open(file);
            w.clickRow(c.row);
        }
        w.click(kExtractButton[c.slot]);
        EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{c.message});
        EXPECT_TRUE(w.prompts.saveRequests.empty());
    }

    // An attached picture is not joined until the set is saved; then it extracts under the
    // name it was attached from, a stored name without a folder offered whole.
    EditorWindow w;
    addPicture(w, 1, picture("photo.bmp", 300, 300));
    w.click(kExtractButton[1]);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kNotJoined});
    w.saveAs(path("saved.ADX"));
    extract(w, 1, ""); // cancelled
    ASSERT_EQ(w.prompts.saveRequests.size(), 2u);
    EXPECT_EQ(w.prompts.saveRequests[1].proposed, path("photo.bmp"));
    EXPECT_EQ(w.prompts.messages, (std::vector<ShownMessage>{kNotJoined, kSaved}));

    w.open(file);
    extract(w, 1, path("done.bmp"));
    EXPECT_EQ(QFileInfo(w.prompts.saveRequests.back().proposed).fileName(), "done.bmp");
    EXPECT_EQ(readFile(path("done.bmp")), pictureBytes(64));
}

TEST_F(WindowPictures, APatternSeenBeforeAndRepaintsNeverDecode) {
    EditorWindow w;
    addPicture(w, 0, picture("a.jpg", 640, 480, "jpeg"));
    addPicture(w, 1, picture("b.bmp", 480, 640));
    w.click("IDC_ADD_PATTERN");

    const std::uint64_t before = preview::pictureDecodeCount();
    w.clickRow(0);
    EXPECT_EQ(preview::pictureDecodeCount(), before) << "both pictures come from the cache";
    EXPECT_FALSE(allWhite(surface(w, 0)));
    EXPECT_FALSE(allWhite(surface(w, 1)));

    const std::uint64_t shownAt = preview::pictureDecodeCount();
    for (int i = 0; i < 3; ++i) {
        w.window->centralWidget()->repaint();
        w.window->grab();
        shownInFrame(w, 0);
        shownInFrame(w, 1);
    }
    w.window->hide();
    w.window->show();
    settle();
    EXPECT_EQ(preview::pictureDecodeCount(), shownAt);
    EXPECT_FALSE(allWhite(shownInFrame(w, 0)));
}

TEST_F(WindowPictures, APictureTheDecoderCannotReadIsRefusedChangingNothing) {
    const QString notAPicture = path("notes.bmp");
    writeFile(notAPicture, bytesOf("these are no pixels"));
    Bytes cut = readFile(picture("whole.jpg", 640, 480, "jpeg"));
    cut.resize(cut.size() / 2);
    const QString truncated = path("cut.jpg");
    writeFile(truncated, cut);
    const ShownMessage notKnown = shown("このファイルは画像として読み込めないため、設定できません"
                                        "（ＢＭＰ・ＪＰＥＧ・ＧＩＦが使えます）。",
                                        MessageIcon::Error);
    const ShownMessage damaged =
        shown("この画像は壊れているか途中で切れているため、設定できません。", MessageIcon::Error);
    const std::pair<QString, ShownMessage> cases[] = {
        {notAPicture, notKnown},
        {picture("photo.png", 300, 300, "png"), notKnown},
        {truncated, damaged}};
    for (const int slot : {0, 1}) {
        EditorWindow w;
        addPicture(w, 1 - slot, picture("other.bmp", 300, 300));
        addPicture(w, slot, picture("before.bmp", 300, 300, "bmp", QColor(Qt::red)));
        const auto table = w.doc().table;
        const std::vector<QString> choices = w.pieceChoices();
        for (const auto& [file, message] : cases) {
            SCOPED_TRACE(file.toStdString() + " slot " + std::to_string(slot));
            w.prompts.messages.clear();
            addPicture(w, slot, file);
            EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{message});
            EXPECT_TRUE(w.doc().table == table);
            EXPECT_TRUE(isRed(centreOf(surface(w, slot))));
            EXPECT_EQ(w.pieceChoices(), choices);
        }
    }
}

TEST_F(WindowPictures, EveryResetLeavesTwoWhiteSurfacesOfTheFrameSize) {
    EditorWindow w;
    for (int n = 0; n < 3; ++n) {
        addPicture(w, 0, picture("a.bmp", 300, 300));
        addPicture(w, 1, picture("b.bmp", 300, 300));
        w.trigger("IDM_NEW");
        const preview::PreviewSurfaces& s = w.window->previewSurfaces();
        for (const int slot : {0, 1}) {
            EXPECT_EQ(surface(w, slot).size(), w.find<QWidget>(kFrame[0])->size());
            EXPECT_TRUE(allWhite(surface(w, slot)));
        }
        EXPECT_EQ(s.puzzleFrame, w.find<QWidget>(kFrame[0])->pos());
        EXPECT_EQ(s.finishedFrame, w.find<QWidget>(kFrame[1])->pos());
        EXPECT_EQ(w.minPieces()->count(), 0);
    }
    EXPECT_TRUE(w.prompts.messages.empty());

    w.window->close();
    EXPECT_TRUE(surface(w, 0).isNull());
    EXPECT_TRUE(surface(w, 1).isNull());
}

TEST_F(WindowPictures, SurfacesThatCannotBeMadeAreReportedAndTheWindowCloses) {
    FakePrompts prompts;
    QTemporaryDir settingsFolder;
    app::EditorSettings settings(settingsFolder.filePath(QStringLiteral("settings.ini")));
    app::MainWindow window(app::DialogVariant::PZ_BIND, prompts, &settings);
    window.setSurfaceCreation([](preview::PreviewSurfaces&, int, int) { return false; });
    window.show();
    // Nothing to paint before the first reset.
    EXPECT_FALSE(window.document().state.readyFlag);
    window.grab();
    settle();

    EXPECT_EQ(prompts.messages, std::vector<ShownMessage>{shown("表示用メモリを確保できません")});
    // The reset ran to its end, then the queued exit closed the window without a question.
    EXPECT_EQ(window.document().state.currentFilePath, "新規.ADX");
    EXPECT_TRUE(window.document().state.readyFlag);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(WindowPictures, APictureDroppedOnAFrameIsAttachedToThatSlot) {
    const QString wide = picture("wide.bmp", 640, 480);
    const QString tall = picture("tall.jpg", 480, 640, "jpeg");
    EditorWindow w;
    QWidget* frames[] = {w.find<QWidget>(kFrame[0]), w.find<QWidget>(kFrame[1])};
    w.dropFiles({tall}, frames[1]);
    EXPECT_EQ(w.doc().pattern(0).sourceFiles[1], QFile::encodeName(tall).toStdString());
    EXPECT_EQ(w.minPieces()->count(), 0);
    EXPECT_TRUE(w.state().dirty);
    EXPECT_FALSE(allWhite(surface(w, 1)));

    w.dropFiles({wide}, frames[0]);
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, QFileInfo(wide).size());
    EXPECT_EQ(w.pieceChoices().size(), 30u);
    EXPECT_TRUE(w.prompts.openRequests.empty()) << "no dialog for a drop";

    // Small puzzle pictures are refused as when added.
    w.dropFiles({picture("small.bmp", 150, 400)}, frames[0]);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kTooSmall});
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, QFileInfo(wide).size());

    // What is no picture gets the window's answers: two files, beside the list or on a
    // frame; a file that is neither; a picture dropped elsewhere (opened as a puzzle data
    // file).
    w.prompts.messages.clear();
    const auto before = w.doc().table;
    const QString text = path("notes.txt");
    writeFile(text, bytesOf("not a picture, and longer than a file header"));
    w.dropFiles({wide, tall}, w.password());
    w.dropFiles({wide, tall}, frames[0]);
    w.dropFiles({text}, frames[1]);
    w.dropFiles({wide}, w.password());
    const ShownMessage oneFile = shown("ドロップできるファイルは １つです。", MessageIcon::Error);
    EXPECT_EQ(w.prompts.messages,
              (std::vector<ShownMessage>{oneFile, oneFile, kNotAJoinedFile, kNotAJoinedFile}));
    EXPECT_TRUE(w.doc().table == before);
    EXPECT_EQ(w.state().currentFilePath, "新規.ADX");

    // A puzzle data file dropped on a frame opens as before.
    PatternSpec one;
    puzzle::setFieldText(one.record.clearComment, "opened");
    writeFile(path("set.ADX"), buildFile({one}));
    w.dropFiles({path("set.ADX")}, frames[0]);
    EXPECT_EQ(w.state().currentFilePath, QFile::encodeName(path("set.ADX")).toStdString());
    EXPECT_EQ(w.clearComment()->toPlainText(), "opened");
    EXPECT_FALSE(w.state().dirty);
    EXPECT_TRUE(allWhite(surface(w, 0)));
}
