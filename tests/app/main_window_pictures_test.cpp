#include "app/main_window.h"

#include "preview/picture_decoder.h"
#include "puzzle/format.h"
#include "support/bytes.h"
#include "support/picture_files.h"
#include "text/cp932.h"
#include "window_driver.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;
using app::DialogVariant;
using puzzle::MessageIcon;

namespace {

const ShownMessage kSaved{"ファイルを保存しました。", "情報", MessageIcon::None, "PZ_BIND"};
const ShownMessage kExtracted{"ファイルを抽出しました。", "情報", MessageIcon::None, "PZ_BIND"};
const ShownMessage kTooSmall{"幅・高さが２００ドット以下ＣＧは、設定することが出来ません。", "情報",
                             MessageIcon::None, "PZ_BIND"};
const ShownMessage kSeveral{"複数のパターンが選択されています。", "情報", MessageIcon::Error,
                            "PZ_BIND"};
const ShownMessage kNotJoined{"この位置の画像はまだ連結されていません。", "情報",
                              MessageIcon::Error, "PZ_BIND"};
const ShownMessage kNoPicture{"この位置には画像が設定されていません。", "情報", MessageIcon::Error,
                              "PZ_BIND"};
const ShownMessage kBadSize{"この位置の画像はファイルサイズが不正です。", "情報",
                            MessageIcon::Error, "PZ_BIND"};
const ShownMessage kNotAJoinedFile{"このファイルは連結されたファイルではありません。", "情報",
                                   MessageIcon::None, "PZ_BIND"};
const ShownMessage kOneFile{"ドロップできるファイルは １つです。", "情報", MessageIcon::Error,
                            "PZ_BIND"};

const char* const kAddButton[] = {"IDC_ADD_PUZZLE_IMAGE", "IDC_ADD_FINISHED_IMAGE"};
const char* const kExtractButton[] = {"IDC_EXTRACT_PUZZLE_IMAGE", "IDC_EXTRACT_FINISHED_IMAGE"};
const char* const kDeleteButton[] = {"IDC_DELETE_PUZZLE_IMAGE", "IDC_DELETE_FINISHED_IMAGE"};
const char* const kFrame[] = {"IDC_PUZZLE_PREVIEW", "IDC_FINISHED_PREVIEW"};

std::string cp932(const char* utf8) {
    return text::toCp932(utf8).value();
}

Bytes readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

void writeBytes(const QString& path, const Bytes& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

std::vector<QString> counts(std::initializer_list<int> values) {
    std::vector<QString> out;
    for (const int v : values)
        out.push_back(QString::number(v));
    return out;
}

// The table with what only the editor keeps (the native picture paths) left out.
puzzle::PatternTable storedPart(const puzzle::Document& doc) {
    puzzle::PatternTable t = doc.table;
    for (auto& r : t)
        r.sourceFiles = {};
    return t;
}

bool isWhite(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}

bool isRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

bool allWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isWhite(image.pixel(x, y)))
                return false;
    return !image.isNull();
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
    EXPECT_EQ(w.pieceChoices(), counts({4, 9, 16, 25, 36, 49, 64, 81, 100}));
    w.choosePieceCount("9");
    addPicture(w, 1, pictures[1][1]);
    w.typeInto(w.clearComment(), QString::fromUtf8("二つ目"));

    const QString file = path("set.ADX");
    w.prompts.saveChoices.push_back(file);
    w.find<QAction>("IDM_SAVE")->trigger();
    settle();
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kSaved});

    // What was chosen on screen reached the records.
    const puzzle::PatternRecord& first = w.doc().pattern(0);
    const puzzle::PatternRecord& second = w.doc().pattern(1);
    EXPECT_EQ(first.pieceCount, 48);
    EXPECT_EQ(second.pieceCount, 9);
    EXPECT_EQ(first.rotation, 1);
    EXPECT_EQ(second.rotation, 0);
    EXPECT_EQ(puzzle::fieldText(first.clearComment), cp932("一つ目のクリア"));
    EXPECT_EQ(puzzle::fieldText(first.finishComment), cp932("一つ目のおわり"));
    EXPECT_EQ(puzzle::fieldText(second.clearComment), cp932("二つ目"));
    for (int k = 0; k < 2; ++k)
        for (int s = 0; s < 2; ++s)
            EXPECT_EQ(puzzle::fieldText(puzzle::slotPath(w.doc().pattern(k), s)),
                      QFile::encodeName(pictures[k][s]).toStdString());

    // The file is the layout for these records and the pictures' own bytes.
    std::vector<PatternSpec> specs;
    for (int k = 0; k < 2; ++k)
        specs.push_back({w.doc().pattern(k), readBytes(pictures[k][0]), readBytes(pictures[k][1])});
    EXPECT_EQ(readBytes(file), buildFile(specs));

    EditorWindow reopened;
    reopened.prompts.openChoices.push_back(file);
    reopened.find<QAction>("IDM_OPEN")->trigger();
    settle();
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
            EXPECT_EQ(asked.proposed, QFileInfo(pictures[k][s]).fileName());
            EXPECT_EQ(reopened.prompts.messages, std::vector<ShownMessage>{kExtracted});
            EXPECT_EQ(readBytes(target), readBytes(pictures[k][s]));
        }
    }
    EXPECT_EQ(reopened.pieceChoices(), counts({4, 9, 16, 25, 36, 49, 64, 81, 100}));
    EXPECT_EQ(reopened.minPieces()->currentText(), "9");
    EXPECT_FALSE(reopened.state().dirty) << "extracting is no edit";
    // Committing what an opened file shows keeps the stored counts.
    reopened.window->commit();
    EXPECT_EQ(reopened.doc().pattern(0).pieceCount, 48);
    EXPECT_EQ(reopened.doc().pattern(1).pieceCount, 9);
}

TEST_F(WindowPictures, APuzzlePictureOffersItsPieceCountsOrIsRefused) {
    struct Case {
        int w, h;
        std::vector<QString> offered; // empty: refused
    };
    const Case cases[] = {
        {200, 200, counts({4, 9, 16, 25, 36, 49, 64, 81, 100})},
        {640, 480,
         counts({6,   12,  15,  24,  35,  48,  54,  70,  88,  108, 117, 140, 165, 192, 204,
                 234, 266, 300, 315, 352, 391, 432, 450, 494, 540, 588, 609, 660, 713, 768})},
        {150, 400, {}},
        {199, 300, {}},
        {200, 199, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        EditorWindow w;
        w.typeInto(w.finishComment(), "kept");
        w.window->commit();
        addPicture(w, 1, picture("done.bmp", 300, 300));
        const QString file = picture("puzzle.bmp", c.w, c.h);
        addPicture(w, 0, file);

        const puzzle::PatternRecord& r = w.doc().pattern(0);
        const app::FileDialogRequest& asked = w.prompts.openRequests.back();
        EXPECT_EQ(asked.title, "開く");
        EXPECT_TRUE(w.state().dirty);
        // The finished picture and the other details are never touched.
        EXPECT_EQ(puzzle::fieldText(r.finishComment), "kept");
        EXPECT_NE(r.finishedImageSize, 0);
        EXPECT_FALSE(allWhite(surface(w, 1)));
        if (c.offered.empty()) {
            EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kTooSmall});
            EXPECT_EQ(puzzle::fieldText(r.puzzleImagePath), "");
            EXPECT_EQ(r.puzzleImageOffset, 0);
            EXPECT_EQ(r.puzzleImageSize, 0);
            EXPECT_EQ(w.minPieces()->count(), 0);
            EXPECT_TRUE(allWhite(surface(w, 0)));
            EXPECT_TRUE(allWhite(shownInFrame(w, 0).copy(4, 4, 20, 20)));
        } else {
            EXPECT_TRUE(w.prompts.messages.empty());
            EXPECT_EQ(r.puzzleImageSize, QFileInfo(file).size());
            EXPECT_EQ(w.pieceChoices(), c.offered);
            EXPECT_EQ(w.minPieces()->currentIndex(), 0);
            EXPECT_EQ(QApplication::focusWidget(), w.list()) << "the focus goes back to the list";
            EXPECT_FALSE(allWhite(surface(w, 0)));
        }
    }
}

TEST_F(WindowPictures, AnEmptyChoiceListCommitsTheFirstGridOfTheLastEnumeration) {
    EditorWindow w;
    // 199 x 300 is refused, yet its working size 200 x 301 left 3 x 5 first in the table.
    addPicture(w, 0, picture("narrow.bmp", 199, 300));
    ASSERT_EQ(w.prompts.messages, std::vector<ShownMessage>{kTooSmall});
    w.window->commit();
    EXPECT_EQ(w.doc().pattern(0).pieceCount, 15);

    // A pattern without a puzzle picture shows no choices and commits the smallest grid
    // left by the pattern shown before it.
    addPicture(w, 0, picture("wide.bmp", 640, 480));
    w.choosePieceCount("48");
    w.click("IDC_ADD_PATTERN");
    EXPECT_EQ(w.doc().pattern(0).pieceCount, 48);
    EXPECT_EQ(w.minPieces()->count(), 0);
    w.clickRow(0);
    EXPECT_EQ(w.doc().pattern(1).pieceCount, 6);
    EXPECT_EQ(w.minPieces()->currentText(), "48") << "the stored count comes back selected";
}

TEST_F(WindowPictures, ThePieceChoicesComeFromThePuzzlePictureWhateverTheFinishedOne) {
    EditorWindow w;
    addPicture(w, 0, picture("square.bmp", 200, 200));
    w.choosePieceCount("25");
    // A finished picture too small for pieces is no puzzle picture: no message, and the
    // choices stay as they were.
    addPicture(w, 1, picture("tiny.bmp", 100, 100));
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.pieceChoices().size(), 9u);
    EXPECT_EQ(w.minPieces()->currentText(), "25");

    // Pattern 2 has only a finished picture that would admit grids.
    w.click("IDC_ADD_PATTERN");
    addPicture(w, 1, picture("wide.bmp", 640, 480));
    EXPECT_EQ(w.minPieces()->count(), 0);

    // Shown again, each pattern rebuilds its choices from its own puzzle picture, decoded
    // before the finished one.
    w.clickRow(0);
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.pieceChoices().size(), 9u);
    EXPECT_EQ(w.minPieces()->currentText(), "25");
    w.clickRow(1);
    EXPECT_EQ(w.minPieces()->count(), 0);
    EXPECT_TRUE(w.prompts.messages.empty());
}

TEST_F(WindowPictures, TheAddDialogOffersTheFourPictureTypesAndTheLastChoiceForBothSlots) {
    EditorWindow w;
    const QString first = picture("first.bmp", 300, 300);
    addPicture(w, 0, first);
    w.prompts.openChoices.push_back(""); // cancelled
    w.window->commit();
    w.click(kAddButton[1]);

    ASSERT_EQ(w.prompts.openRequests.size(), 2u);
    for (const app::FileDialogRequest& asked : w.prompts.openRequests) {
        EXPECT_EQ(asked.title, "開く");
        EXPECT_EQ(asked.filters, (std::vector<app::FileFilter>{
                                     {"利用可能な画像ﾌｧｲﾙ", "*.bmp;*.jpg;*.jpeg;*.gif"},
                                     {"ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)", "*.bmp"},
                                     {"JPEG File Interchange format(*.jpg;*.jpeg)", "*.jpg;*.jpeg"},
                                     {"GIF (*.gif)", "*.gif"}}));
    }
    EXPECT_EQ(w.prompts.openRequests[0].proposed, "");
    EXPECT_EQ(w.prompts.openRequests[1].proposed, first);
    // Cancelling attached nothing, yet counts as an edit.
    EXPECT_EQ(w.doc().pattern(0).finishedImageSize, 0);
    EXPECT_TRUE(w.state().dirty);

    // A file the engine refuses shows its refusal and attaches nothing.
    addPicture(w, 1, path("missing.bmp"));
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0].caption, "情報");
    EXPECT_EQ(w.doc().pattern(0).finishedImageSize, 0);
    EXPECT_EQ(w.prompts.openRequests.back().proposed, first);
    addPicture(w, 0, picture("second.bmp", 300, 300));
    EXPECT_EQ(w.prompts.openRequests.back().proposed, path("missing.bmp"));
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
    const std::int16_t pieceCount = w.doc().pattern(0).pieceCount;
    w.click(kDeleteButton[0]);
    EXPECT_EQ(w.prompts.messages.size(), 4u);
    EXPECT_EQ(puzzle::fieldText(w.doc().pattern(0).puzzleImagePath), "");
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, 0);
    EXPECT_EQ(w.doc().pattern(0).finishedImageSize, before[0].finishedImageSize);
    EXPECT_EQ(w.doc().pattern(1).puzzleImageSize, before[1].puzzleImageSize);
    EXPECT_EQ(w.doc().pattern(0).pieceCount, pieceCount);
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
        w.prompts.saveChoices.push_back(path("set.ADX"));
        w.find<QAction>("IDM_SAVE")->trigger();
        settle();
        ASSERT_FALSE(w.state().dirty);
        for (const int s : {0, 1}) {
            const QImage shown = shownInFrame(w, s);
            EXPECT_TRUE(isRed(shown.pixel(shown.width() / 2, shown.height() / 2)));
        }

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
        const QImage blank = shownInFrame(w, slot);
        EXPECT_TRUE(isWhite(blank.pixel(blank.width() / 2, blank.height() / 2)));
        const QImage kept = shownInFrame(w, 1 - slot);
        EXPECT_TRUE(isRed(kept.pixel(kept.width() / 2, kept.height() / 2)));
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
    writeBytes(file, buildFile({finishedOnly, emptyPicture}));

    struct Case {
        bool fromFile;
        int row;
        int slot;
        ShownMessage message;
    };
    const Case cases[] = {
        {false, 0, 0, kNotJoined}, // nothing joined in a new document comes first
        {false, 0, 1, kNotJoined},
        {true, 0, 0, kNoPicture}, // the stored offset of an empty slot is not 0
        {true, 1, 0, kBadSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.text);
        EditorWindow w;
        if (c.fromFile) {
            w.prompts.openChoices.push_back(file);
            w.find<QAction>("IDM_OPEN")->trigger();
            settle();
            w.clickRow(c.row);
        }
        w.click(kExtractButton[c.slot]);
        EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{c.message});
        EXPECT_TRUE(w.prompts.saveRequests.empty());
    }

    // An attached picture is not joined until the set is saved; then it extracts under the
    // name it was attached from, a stored name without a folder offered whole.
    EditorWindow w;
    const QString source = picture("photo.bmp", 300, 300);
    addPicture(w, 1, source);
    w.click(kExtractButton[1]);
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kNotJoined});
    w.prompts.saveChoices.push_back(path("saved.ADX"));
    w.find<QAction>("IDM_SAVE")->trigger();
    settle();
    extract(w, 1, ""); // cancelled
    ASSERT_EQ(w.prompts.saveRequests.size(), 2u);
    EXPECT_EQ(w.prompts.saveRequests[1].proposed, "photo.bmp");
    EXPECT_EQ(w.prompts.messages, (std::vector<ShownMessage>{kNotJoined, kSaved}));

    w.prompts.openChoices.push_back(file);
    w.find<QAction>("IDM_OPEN")->trigger();
    settle();
    extract(w, 1, path("done.bmp"));
    EXPECT_EQ(w.prompts.saveRequests.back().proposed, "done.bmp");
    EXPECT_EQ(readBytes(path("done.bmp")), pictureBytes(64));
}

TEST_F(WindowPictures, ShowingAPatternDecodesEachPictureOnceAndRepaintsNeverDecode) {
    EditorWindow w;
    addPicture(w, 0, picture("a.jpg", 640, 480, "jpeg"));
    addPicture(w, 1, picture("b.bmp", 480, 640));
    w.click("IDC_ADD_PATTERN");

    const std::uint64_t before = preview::pictureDecodeCount();
    w.clickRow(0);
    EXPECT_EQ(preview::pictureDecodeCount() - before, 2u);

    const std::uint64_t shown = preview::pictureDecodeCount();
    for (int i = 0; i < 3; ++i) {
        w.window->centralWidget()->repaint();
        w.window->grab();
        shownInFrame(w, 0);
        shownInFrame(w, 1);
    }
    w.window->hide();
    w.window->show();
    settle();
    EXPECT_EQ(preview::pictureDecodeCount(), shown);
    EXPECT_FALSE(allWhite(shownInFrame(w, 0)));
}

TEST_F(WindowPictures, APictureIsDrawnScaledAndCentredInItsFrame) {
    EditorWindow w;
    addPicture(w, 0, picture("wide.bmp", 640, 480, "bmp", QColor(Qt::red)));
    addPicture(w, 1, picture("tall.bmp", 480, 640, "bmp", QColor(Qt::red)));
    const preview::PreviewSurfaces& s = w.window->previewSurfaces();
    const auto* frame = w.find<QWidget>(kFrame[0]);
    ASSERT_EQ(QSize(s.frameWidth, s.frameHeight), frame->size());
    const int fw = s.frameWidth;
    const int fh = s.frameHeight;

    // Landscape: the full width, white bands above and below; portrait: left and right.
    const QImage wide = surface(w, 0);
    EXPECT_TRUE(isRed(wide.pixel(0, fh / 2)));
    EXPECT_TRUE(isRed(wide.pixel(fw - 1, fh / 2)));
    EXPECT_TRUE(isWhite(wide.pixel(fw / 2, 0)));
    EXPECT_TRUE(isWhite(wide.pixel(fw / 2, fh - 1)));
    const QImage tall = surface(w, 1);
    EXPECT_TRUE(isRed(tall.pixel(fw / 2, 0)));
    EXPECT_TRUE(isRed(tall.pixel(fw / 2, fh - 1)));
    EXPECT_TRUE(isWhite(tall.pixel(0, fh / 2)));
    EXPECT_TRUE(isWhite(tall.pixel(fw - 1, fh / 2)));

    // The window shows each surface at its own frame.
    for (const int slot : {0, 1}) {
        const QImage shown = shownInFrame(w, slot);
        EXPECT_TRUE(isRed(shown.pixel(fw / 2, fh / 2))) << slot;
        EXPECT_EQ(shown.pixel(fw / 2, fh / 2), surface(w, slot).pixel(fw / 2, fh / 2)) << slot;
    }
}

TEST_F(WindowPictures, AFileThatIsNoPictureLeavesAWhitePreviewAndNoMessage) {
    const QString notAPicture = path("notes.bmp");
    writeBytes(notAPicture, bytesOf("these are no pixels"));
    for (const int slot : {0, 1}) {
        SCOPED_TRACE(slot);
        EditorWindow w;
        addPicture(w, 1 - slot, picture("other.bmp", 300, 300));
        addPicture(w, slot, picture("before.bmp", 300, 300, "bmp", QColor(Qt::red)));
        const std::vector<QString> choices = w.pieceChoices();
        ASSERT_FALSE(choices.empty());
        addPicture(w, slot, notAPicture);
        EXPECT_TRUE(w.prompts.messages.empty());
        // Attached all the same: whether it is a picture shows only when it is decoded.
        EXPECT_EQ(puzzle::slotSize(w.doc().pattern(0), slot), 19);
        EXPECT_TRUE(allWhite(surface(w, slot)));
        EXPECT_FALSE(allWhite(surface(w, 1 - slot)));
        if (slot == 0)
            EXPECT_EQ(w.minPieces()->count(), 0);
        else
            EXPECT_EQ(w.pieceChoices(), choices);
    }
}

TEST_F(WindowPictures, EveryResetLeavesTwoWhiteSurfacesOfTheFrameSize) {
    EditorWindow w;
    const QSize frameSize = w.find<QWidget>(kFrame[0])->size();
    for (int n = 0; n < 3; ++n) {
        addPicture(w, 0, picture("a.bmp", 300, 300));
        addPicture(w, 1, picture("b.bmp", 300, 300));
        w.find<QAction>("IDM_NEW")->trigger();
        settle();
        const preview::PreviewSurfaces& s = w.window->previewSurfaces();
        for (const int slot : {0, 1}) {
            EXPECT_EQ(surface(w, slot).size(), frameSize);
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
    app::MainWindow window(DialogVariant::PZ_BIND, prompts);
    window.setSurfaceCreation([](preview::PreviewSurfaces&, int, int) { return false; });
    window.show();
    // Nothing to paint before the first reset.
    EXPECT_FALSE(window.document().state.readyFlag);
    window.grab();
    settle();

    EXPECT_EQ(prompts.messages, (std::vector<ShownMessage>{{"表示用メモリを確保できません", "情報",
                                                            MessageIcon::None, "PZ_BIND"}}));
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
    w.dropFiles({tall}, w.find<QWidget>(kFrame[1]));
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.doc().pattern(0).sourceFiles[1], QFile::encodeName(tall).toStdString());
    EXPECT_EQ(w.minPieces()->count(), 0);
    EXPECT_TRUE(w.state().dirty);
    EXPECT_FALSE(allWhite(surface(w, 1)));

    w.dropFiles({wide}, w.find<QWidget>(kFrame[0]));
    EXPECT_TRUE(w.prompts.messages.empty());
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, QFileInfo(wide).size());
    EXPECT_EQ(w.pieceChoices().size(), 30u);
    EXPECT_TRUE(w.prompts.openRequests.empty()) << "no dialog for a drop";

    // Small puzzle pictures are refused as when added.
    w.dropFiles({picture("small.bmp", 150, 400)}, w.find<QWidget>(kFrame[0]));
    EXPECT_EQ(w.prompts.messages, std::vector<ShownMessage>{kTooSmall});
    EXPECT_EQ(w.doc().pattern(0).puzzleImageSize, 0);

    // What is no picture gets the window's answers: two files, a file that is neither.
    w.prompts.messages.clear();
    const auto before = w.doc().table;
    const QString text = path("notes.txt");
    writeBytes(text, bytesOf("not a picture, and longer than a file header"));
    w.dropFiles({wide, tall}, w.find<QWidget>(kFrame[0]));
    w.dropFiles({text}, w.find<QWidget>(kFrame[1]));
    EXPECT_EQ(w.prompts.messages, (std::vector<ShownMessage>{kOneFile, kNotAJoinedFile}));
    EXPECT_TRUE(w.doc().table == before);

    // A picture dropped elsewhere is opened as a puzzle data file, and refused.
    w.dropFiles({wide});
    EXPECT_EQ(w.prompts.messages.back(), kNotAJoinedFile);

    // A puzzle data file dropped on a frame opens as before.
    PatternSpec one;
    puzzle::setFieldText(one.record.clearComment, "opened");
    writeBytes(path("set.ADX"), buildFile({one}));
    w.dropFiles({path("set.ADX")}, w.find<QWidget>(kFrame[0]));
    EXPECT_EQ(w.state().currentFilePath, QFile::encodeName(path("set.ADX")).toStdString());
    EXPECT_EQ(w.clearComment()->toPlainText(), "opened");
    EXPECT_FALSE(w.state().dirty);
    EXPECT_TRUE(allWhite(surface(w, 0)));
}
