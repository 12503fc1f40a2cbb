#include "preview/preview_surfaces.h"

#include "preview/picture_decoder.h"
#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

using namespace pdt::preview;
using namespace pdt::test;

namespace {

TEST(PreviewGeometry, FitsTheLongerSideAndCentres) {
    const struct {
        int frameW, frameH, w, h;
        int dw, dh, dx, dy;
    } cases[] = {
        {140, 140, 640, 480, 140, 105, 0, 17}, // landscape: width fitted, centred vertically
        {140, 140, 480, 640, 105, 140, 17, 0}, // portrait: height fitted, centred horizontally
        {140, 140, 100, 50, 140, 70, 0, 35},   // smaller than the frame: enlarged
        {133, 133, 640, 480, 133, 99, 0, 17},  // 99.75 truncates to 99, leftover 17
        {140, 120, 400, 390, 140, 136, 0, -8}, // overflows a frame that is not square
        {140, 120, 140, 123, 140, 123, 0, -1}, // a leftover of -3 truncates to -1
        {0, 0, 30, 20, 30, 20, -15, -10},      // a zero scale becomes 1
        {140, 140, 0, 0, 0, 0, 70, 70},        // no picture draws nothing
    };
    for (const auto& c : cases) {
        const PreviewGeometry g = previewGeometry(c.frameW, c.frameH, c.w, c.h);
        EXPECT_EQ(QRect(g.dx, g.dy, g.dw, g.dh), QRect(c.dx, c.dy, c.dw, c.dh))
            << c.w << "x" << c.h << " in " << c.frameW << "x" << c.frameH;
    }
}

class RenderPreview : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(createPreviewSurfaces(s, 140, 140)); }

    std::string write(const QString& name, const QByteArray& bytes) {
        const QString p = dir.filePath(name);
        EXPECT_TRUE(writeBytes(p, bytes));
        return p.toStdString();
    }
    std::string quadrants(const char* format, int w = 64, int h = 48) {
        return write(QString("p.") + format, encodePicture(quadrantPicture(w, h), format));
    }

    // The destination rectangle, clipped by the surface, holds the picture's quadrants:
    // looked up a few pixels in from each corner, so the far edges count, and either side
    // of its middle, so it is centred where the rectangle says. All around it is white.
    static void expectPictureAt(const QImage& img, const QRect& r) {
        const QRect shown = r & img.rect();
        const int in = 4;
        const QPoint mid = r.center();
        EXPECT_TRUE(near(img.pixel(shown.left() + in, shown.top() + in), kTopLeft));
        EXPECT_TRUE(near(img.pixel(shown.right() - in, shown.top() + in), kTopRight));
        EXPECT_TRUE(near(img.pixel(shown.left() + in, shown.bottom() - in), kBottomLeft));
        EXPECT_TRUE(near(img.pixel(shown.right() - in, shown.bottom() - in), kBottomRight));
        EXPECT_TRUE(near(img.pixel(mid.x() - in, mid.y() - in), kTopLeft));
        EXPECT_TRUE(near(img.pixel(mid.x() + in, mid.y() + in), kBottomRight));
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (!r.contains(x, y) && !isWhite(img.pixel(x, y))) {
                    ADD_FAILURE() << "not white at " << x << "," << y;
                    return;
                }
    }

    PreviewSurfaces s;
    QTemporaryDir dir;
};

// Slot 0 draws on the puzzle surface, any other on the finished one.
TEST_F(RenderPreview, PicturesAreScaledAndCentredInTheirFrame) {
    const struct {
        QSize frame;
        int w, h;
        const char* format;
        int slot;
        QRect destination;
    } cases[] = {
        {{140, 140}, 48, 64, "bmp", 0, {17, 0, 105, 140}},
        {{140, 140}, 20, 20, "bmp", 7, {0, 0, 140, 140}},
        {{140, 140}, 3000, 2000, "jpeg", 1, {0, 23, 140, 93}},
        {{140, 120}, 400, 390, "bmp", 0, {0, -8, 140, 136}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        ASSERT_TRUE(createPreviewSurfaces(s, c.frame.width(), c.frame.height()));
        const RenderResult r = renderPreview(s, quadrants(c.format, c.w, c.h), "", 0, 1000, c.slot);
        EXPECT_EQ(r.returned, 1);
        EXPECT_TRUE(r.changed);
        EXPECT_EQ(QSize(r.decodedWidth, r.decodedHeight), QSize(c.w, c.h));
        expectPictureAt(s.forSlot(c.slot).image, c.destination);
        EXPECT_TRUE(allWhite(s.forSlot(1 - std::min(c.slot, 1)).image));
    }
}

// A stored picture comes from the current file even when a path is given; size 0 means no
// picture and changes nothing.
TEST_F(RenderPreview, AStoredPictureComesFromTheCurrentFileAndSizeZeroFromNowhere) {
    const QByteArray stored = encodePicture(quadrantPicture(48, 64), "jpeg");
    const std::string path = quadrants("bmp");
    const std::string adx = write("set.adx", QByteArray(1174, '\x33') + stored);
    renderPreview(s, path, adx, 1174, stored.size(), 0);
    expectPictureAt(s.puzzleSurface.image, QRect(17, 0, 105, 140));

    const QImage before = s.puzzleSurface.image.copy();
    const std::uint64_t decodes = pictureDecodeCount();
    const RenderResult r = renderPreview(s, path, adx, 1174, 0, 0);
    EXPECT_EQ(r.returned, 0);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(s.puzzleSurface.image, before);
    EXPECT_EQ(pictureDecodeCount(), decodes);
}

TEST_F(RenderPreview, EveryKindOfNoPictureLeavesTheSurfaceWhite) {
    const QByteArray good = encodePicture(quadrantPicture(64, 48), "bmp");
    const std::string goodPath = write("good.bmp", good);
    const std::string adx = write("set.adx", QByteArray(100, '\0') + good);
    const std::string text = write("text.jpg", "no picture here");
    const struct {
        const char* what;
        std::string path;
        std::int64_t offset;
        std::int64_t size;
    } cases[] = {
        {"offset 0 and an empty path", "", 0, good.size()},
        {"missing file", dir.filePath("gone.bmp").toStdString(), 0, good.size()},
        {"bytes that are no picture", text, 0, 15},
        {"range past the end of the current file", goodPath, 100, good.size() + 1},
        {"hostile size", "", 100, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Each starts from a good picture, so a failure has something to wipe out.
        ASSERT_EQ(renderPreview(s, goodPath, adx, 0, good.size(), 0).decodedWidth, 64);
        const RenderResult r = renderPreview(s, c.path, adx, c.offset, c.size, 0);
        EXPECT_TRUE(r.returned == 1 && r.changed);
        EXPECT_EQ(QSize(r.decodedWidth, r.decodedHeight), QSize(0, 0));
        EXPECT_TRUE(allWhite(s.puzzleSurface.image));
    }
}

// Creating, resetting and releasing the surfaces is checked through the window
// (main_window_pictures_test.cpp); here painting, and sizes that cannot be allocated.
TEST_F(RenderPreview, PaintingCopiesBothSurfacesToTheirFramesWithoutDecoding) {
    EXPECT_FALSE(createPreviewSurfaces(s, 0, 140));
    EXPECT_FALSE(createPreviewSurfaces(s, 1 << 20, 1 << 20));
    PreviewSurfaces frames;
    measurePreviewFrames(frames, QRect(10, 5, 140, 140), QRect(10, 160, 140, 140));
    ASSERT_TRUE(createPreviewSurfaces(frames, frames.frameWidth, frames.frameHeight));
    renderPreview(frames, quadrants("bmp"), "", 0, 1, 0);

    QImage window(200, 320, QImage::Format_RGB32);
    window.fill(Qt::black);
    const std::uint64_t decodes = pictureDecodeCount();
    {
        QPainter painter(&window);
        paintPreviews(painter, frames);
    }
    EXPECT_EQ(pictureDecodeCount(), decodes);
    EXPECT_EQ(window.copy(10, 5, 140, 140), frames.puzzleSurface.image);
    EXPECT_EQ(window.copy(10, 160, 140, 140), frames.finishedSurface.image);
    EXPECT_EQ(window.pixel(10, 150) & 0xFFFFFF, 0u); // between the frames: untouched
}

} // namespace
