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
        {140, 140, 200, 200, 140, 140, 0, 0},  // square: height fitted
        {140, 140, 100, 50, 140, 70, 0, 35},   // smaller than the frame: enlarged
        {133, 133, 640, 480, 133, 99, 0, 17},  // 99.75 truncates to 99, leftover 17
        {140, 120, 400, 390, 140, 136, 0, -8}, // overflows a frame that is not square
        {140, 120, 140, 123, 140, 123, 0, -1}, // a leftover of -3 truncates to -1
        {120, 140, 390, 400, 136, 140, -8, 0}, // portrait: overflows sideways
        {140, 140, 6000, 4000, 140, 93, 0, 23},
        {0, 0, 30, 20, 30, 20, -15, -10}, // a zero scale becomes 1
    };
    for (const auto& c : cases) {
        const PreviewGeometry g = previewGeometry(c.frameW, c.frameH, c.w, c.h);
        EXPECT_EQ(QRect(g.dx, g.dy, g.dw, g.dh), QRect(c.dx, c.dy, c.dw, c.dh))
            << c.w << "x" << c.h << " in " << c.frameW << "x" << c.frameH;
    }
    EXPECT_DOUBLE_EQ(previewGeometry(140, 120, 400, 390).scale, 0.35);
    EXPECT_EQ(previewGeometry(0, 0, 30, 20).scale, 1.0);
    // No picture draws nothing.
    EXPECT_EQ(QSize(previewGeometry(140, 140, 0, 0).dw, previewGeometry(140, 140, 0, 0).dh),
              QSize(0, 0));
}

TEST(PreviewSurfaceLifecycle, SurfacesAreWhiteAtTheFrameSizeAndReplacedOnEveryCreate) {
    PreviewSurfaces s;
    measurePreviewFrames(s, QRect(193, 29, 140, 140), QRect(193, 251, 150, 90));
    EXPECT_EQ(QSize(s.frameWidth, s.frameHeight), QSize(140, 140));
    EXPECT_EQ(s.puzzleFrame, QPoint(193, 29));
    EXPECT_EQ(s.finishedFrame, QPoint(193, 251));

    ASSERT_TRUE(createPreviewSurfaces(s, s.frameWidth, s.frameHeight));
    EXPECT_EQ(s.puzzleSurface.image.size(), QSize(140, 140));
    EXPECT_TRUE(allWhite(s.puzzleSurface.image));
    EXPECT_TRUE(allWhite(s.finishedSurface.image));
    s.puzzleSurface.image.fill(Qt::black);
    ASSERT_TRUE(createPreviewSurfaces(s, 120, 100));
    EXPECT_EQ(s.puzzleSurface.image.size(), QSize(120, 100));
    EXPECT_EQ(s.finishedSurface.image.size(), QSize(120, 100));
    EXPECT_TRUE(allWhite(s.puzzleSurface.image));

    s.finishedSurface.image.fill(Qt::black);
    blankSurface(s.finishedSurface);
    EXPECT_TRUE(allWhite(s.finishedSurface.image));

    releasePreviewSurfaces(s);
    EXPECT_TRUE(s.puzzleSurface.image.isNull());
    EXPECT_TRUE(s.finishedSurface.image.isNull());
    releasePreviewSurfaces(s);
    blankSurface(s.puzzleSurface); // a released surface is passed over
    EXPECT_TRUE(s.puzzleSurface.image.isNull());

    // Sizes that cannot be allocated.
    EXPECT_FALSE(createPreviewSurfaces(s, 0, 140));
    EXPECT_FALSE(createPreviewSurfaces(s, 140, -1));
    EXPECT_FALSE(createPreviewSurfaces(s, 1 << 20, 1 << 20));
    EXPECT_TRUE(s.puzzleSurface.image.isNull());
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
    RenderResult renderFile(const std::string& path, int slot = 0) {
        return renderPreview(s, path, "", 0, 1000, slot);
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

TEST_F(RenderPreview, PicturesAreScaledAndCentredInTheirFrame) {
    const struct {
        const char* what;
        QSize frame;
        int w, h;
        const char* format;
        QRect destination;
    } cases[] = {
        {"landscape, centred vertically", {140, 140}, 64, 48, "bmp", {0, 17, 140, 105}},
        {"portrait, centred horizontally", {140, 140}, 48, 64, "bmp", {17, 0, 105, 140}},
        {"small, enlarged", {140, 140}, 20, 20, "bmp", {0, 0, 140, 140}},
        {"jpeg landscape", {140, 140}, 640, 480, "jpeg", {0, 17, 140, 105}},
        {"larger than 1200, shown whole", {140, 140}, 3000, 2000, "jpeg", {0, 23, 140, 93}},
        {"overflowing a frame that is not square", {140, 120}, 400, 390, "bmp", {0, -8, 140, 136}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(createPreviewSurfaces(s, c.frame.width(), c.frame.height()));
        const RenderResult r = renderFile(quadrants(c.format, c.w, c.h));
        EXPECT_EQ(r.returned, 1);
        EXPECT_TRUE(r.changed);
        EXPECT_EQ(QSize(r.decodedWidth, r.decodedHeight), QSize(c.w, c.h));
        expectPictureAt(s.puzzleSurface.image, c.destination);
    }
}

TEST_F(RenderPreview, TheSlotChoosesTheSurface) {
    const std::string path = quadrants("bmp");
    for (const int slot : {1, 7}) {
        blankSurface(s.finishedSurface);
        renderFile(path, slot);
        EXPECT_TRUE(allWhite(s.puzzleSurface.image));
        expectPictureAt(s.finishedSurface.image, QRect(0, 17, 140, 105));
    }
    renderFile(path, 0);
    expectPictureAt(s.puzzleSurface.image, QRect(0, 17, 140, 105));
}

TEST_F(RenderPreview, AStoredPictureComesFromTheCurrentFileEvenWhenAPathIsGiven) {
    const QByteArray stored = encodePicture(quadrantPicture(48, 64), "jpeg");
    const std::string path = quadrants("bmp");
    const std::string adx = write("set.adx", QByteArray(1174, '\x33') + stored);

    const RenderResult r = renderPreview(s, path, adx, 1174, stored.size(), 0);
    EXPECT_EQ(QSize(r.decodedWidth, r.decodedHeight), QSize(48, 64));
    expectPictureAt(s.puzzleSurface.image, QRect(17, 0, 105, 140));
}

TEST_F(RenderPreview, SizeZeroChangesNothingAndDecodesNothing) {
    const std::string path = quadrants("bmp");
    renderFile(path);
    const QImage before = s.puzzleSurface.image.copy();
    const std::uint64_t decodes = pictureDecodeCount();

    for (const std::string& adx : {std::string(), path}) {
        const RenderResult r = renderPreview(s, path, adx, 0, 0, 0);
        EXPECT_EQ(r.returned, 0);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(QSize(r.decodedWidth, r.decodedHeight), QSize(0, 0));
        EXPECT_EQ(renderPreview(s, "", path, 20, 0, 0).returned, 0);
    }
    EXPECT_EQ(s.puzzleSurface.image, before);
    EXPECT_EQ(pictureDecodeCount(), decodes);
}

TEST_F(RenderPreview, EveryKindOfNoPictureLeavesTheSurfaceWhite) {
    const QByteArray good = encodePicture(quadrantPicture(64, 48), "bmp");
    const std::string goodPath = write("good.bmp", good);
    const std::string adx = write("set.adx", QByteArray(100, '\0') + good);
    const std::string text = write("text.jpg", "no picture here");
    struct Case {
        const char* what;
        std::string path;
        std::string currentFile;
        std::int64_t offset;
        std::int64_t size;
    };
    const Case cases[] = {
        {"offset 0 and an empty path", "", adx, 0, good.size()},
        {"missing file", dir.filePath("gone.bmp").toStdString(), adx, 0, good.size()},
        {"bytes that are no picture", text, adx, 0, 15},
        {"range past the end of the current file", goodPath, adx, 100, good.size() + 1},
        {"hostile size", "", adx, 100, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each starts from a good picture, so a failure has something to wipe out.
        ASSERT_EQ(renderPreview(s, goodPath, adx, 0, good.size(), 0).decodedWidth, 64);
        const RenderResult r = renderPreview(s, c.path, c.currentFile, c.offset, c.size, 0);
        EXPECT_EQ(r.returned, 1);
        EXPECT_TRUE(r.changed);
        EXPECT_EQ(QSize(r.decodedWidth, r.decodedHeight), QSize(0, 0));
        EXPECT_TRUE(allWhite(s.puzzleSurface.image));
    }
}

TEST_F(RenderPreview, PaintingCopiesBothSurfacesToTheirFramesWithoutDecoding) {
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
    EXPECT_TRUE(allWhite(frames.finishedSurface.image));
    EXPECT_EQ(window.pixel(5, 5) & 0xFFFFFF, 0u);    // outside the frames: untouched
    EXPECT_EQ(window.pixel(10, 150) & 0xFFFFFF, 0u); // between the frames
}

} // namespace
