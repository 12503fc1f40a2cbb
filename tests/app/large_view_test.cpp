// The large view and the list thumbnails, drawn from the loader's cache.

#include "app/large_view.h"
#include "app/pattern_list_model.h"
#include "app/thumbnail_delegate.h"
#include "preview/test_pictures.h"

#include "support/temp_dir.h"

#include <QLabel>
#include <QListView>
#include <QTest>

#include <gtest/gtest.h>

using namespace pdt;
using namespace pdt::test;

namespace {

puzzle::ImageSource quadrantFile(const TempDir& dir, const std::string& name, int w, int h) {
    const std::string path = dir / name;
    EXPECT_TRUE(
        writeBytes(QString::fromStdString(path), encodePicture(quadrantPicture(w, h), "bmp")));
    return {puzzle::ImageSource::Kind::WholeFile, path, 0, 1};
}

TEST(LargeView, ShowsThePictureAtTheWindowsSizeWithTheChosenGridOverIt) {
    TempDir dir;
    const puzzle::ImageSource source = quadrantFile(dir, "p.bmp", 640, 480);
    preview::PreviewLoader loader;
    app::LargeView view(loader);
    view.resize(700, 560);
    view.showPicture(0, source, 12);
    auto* canvas = view.findChild<QWidget*>(QStringLiteral("LargeViewPicture"));
    auto* sizes = view.findChild<QLabel*>(QStringLiteral("LargeViewSizes"));
    ASSERT_TRUE(canvas && sizes);
    // The sizes and the grid come from the header at once, the pixels later.
    EXPECT_EQ(view.overlay().grid, (pieces::PieceGrid{4, 3}));
    EXPECT_TRUE(sizes->text().contains(QString::fromUtf8("4 × 3 = 12")));
    // Decoded at the canvas's size, once the window has settled on one.
    const auto bounds = [&] { return canvas->size() * canvas->devicePixelRatio(); };
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return view.surfaceIsCurrent() &&
               view.surface().image.size() == preview::fittedSize({640, 480}, bounds());
    }));
    const QImage shot = canvas->grab().toImage();
    const QRect r = view.pictureRect();
    const double sx = r.width() / 640.0;
    const int midRow = r.top() + int(80 * r.height() / 480.0);
    EXPECT_TRUE(near(shot.pixel(r.left() + int(80 * sx), midRow), kTopLeft));
    EXPECT_TRUE(near(shot.pixel(r.left() + int(160 * sx), midRow), Qt::white, 60)); // a cut

    view.setPieceCount(48);
    EXPECT_EQ(view.overlay().grid, (pieces::PieceGrid{8, 6}));

    // The finished picture has no grid; the same picture at the same size is at hand.
    view.showPicture(1, source, 48);
    EXPECT_TRUE(view.surfaceIsCurrent());
    EXPECT_FALSE(view.overlay().hasGrid());
    QTest::keyClick(canvas, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());
}

TEST(ThumbnailDelegate, DrawsEachEntrysPuzzlePictureBesideItsText) {
    TempDir dir;
    const puzzle::ImageSource source = quadrantFile(dir, "p.bmp", 400, 300);
    session::EditSession session(dir / "history", true);
    ASSERT_FALSE(session.attachPicture(0, 0, source.file, {std::nullopt, 400, 300}));
    (void)session.addPattern({});
    preview::PreviewLoader loader;
    app::PatternListModel model(session, loader);
    model.setThumbnailShape({preview::SurfaceLayout::Fitted, app::ThumbnailDelegate::kThumbnailBox},
                            1.0);
    model.setThumbnailsShown(true);
    QListView list;
    list.setModel(&model);
    list.resize(200, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    auto* delegate = new app::ThumbnailDelegate(&list);
    delegate->setThumbnailsShown(true);
    list.setItemDelegate(delegate);
    list.viewport()->grab(); // the first paint asks for the thumbnail
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader.busyCount() == 0; }));
    const QImage shot = list.viewport()->grab().toImage();
    // The thumbnail's top-left quadrant near the left of the first row, nothing in the second.
    const QSize drawn = preview::fittedSize({400, 300}, app::ThumbnailDelegate::kThumbnailBox);
    const int row0 = list.visualRect(model.index(0)).center().y() - drawn.height() / 4;
    const int row1 = list.visualRect(model.index(1)).center().y();
    bool sawPicture = false;
    bool secondRowBlank = true;
    for (int x = 0; x < 60; ++x) {
        sawPicture |= near(shot.pixel(x, row0), kTopLeft, 10);
        secondRowBlank &= !near(shot.pixel(x, row1), kTopLeft, 60);
    }
    EXPECT_TRUE(sawPicture);
    EXPECT_TRUE(secondRowBlank);
}

} // namespace
