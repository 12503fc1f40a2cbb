#include "preview/preview_surfaces.h"

#include "preview/picture_decoder.h"
#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

#include <cstdlib>

using namespace pdt::preview;
using namespace pdt::test;

namespace {

bool near(QRgb actual, const QColor& expected, int tolerance = 40) {
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

bool isWhite(QRgb c) {
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

bool allWhite(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!isWhite(img.pixel(x, y)))
                return false;
    return true;
}

TEST(PreviewGeometry, FitsTheLongerSideAndCentres) {
    struct Case {
        int frameW, frameH, w, h;
        int dw, dh, dx, dy;
    };
    const Case cases[] = {
        {140, 140, 640, 480, 140, 105, 0, 17}, // landscape: width fitted, centred vertically
        {140, 140, 480, 640, 105, 140, 17, 0}, // portrait: height fitted, centred horizontally
        {140, 140, 200, 200, 140, 140, 0, 0},  // square: height fitted
        {140, 140, 100, 50, 140, 70, 0, 35},   // smaller than the frame: enlarged
        {133, 133, 640, 480, 133, 99, 0, 17},  // 99.75 truncates to 99, leftover 17
        {140, 120, 400, 390, 140, 136, 0, -8}, // overflows a frame that is not square
        {140, 120, 140, 123, 140, 123, 0, -1}, // a leftover of -3 truncates to -1
        {120, 140, 390, 400, 136, 140, -8, 0}, // portrait: overflows sideways
        {140, 140, 6000, 4000, 140, 93, 0, 23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.w << "x" << c.h << " in " << c.frameW << "x" << c.frameH);
        const PreviewGeometry g = previewGeometry(c.frameW, c.frameH, c.w, c.h);
        EXPECT_EQ(g.dw, c.dw);
        EXPECT_EQ(g.dh, c.dh);
        EXPECT_EQ(g.dx, c.dx);
        EXPECT_EQ(g.dy, c.dy);
    }
    EXPECT_DOUBLE_EQ(previewGeometry(140, 120, 400, 390).scale, 0.35);
}

TEST(PreviewGeometry, AZeroScaleBecomesOneAndNoPictureDrawsNothing) {
    const PreviewGeometry zeroFrame = previewGeometry(0, 0, 30, 20);
    EXPECT_EQ(zeroFrame.scale, 1.0);
    EXPECT_EQ(zeroFrame.dw, 30);
    EXPECT_EQ(zeroFrame.dh, 20);
    EXPECT_EQ(zeroFrame.dx, -15);
    EXPECT_EQ(zeroFrame.dy, -10);

    const PreviewGeometry none = previewGeometry(140, 140, 0, 0);
    EXPECT_EQ(none.dw, 0);
    EXPECT_EQ(none.dh, 0);
}

TEST(PreviewSurfaceLifecycle, SurfacesAreWhiteAtTheFrameSizeAndReplacedOnEveryCreate) {
    PreviewSurfaces s;
    measurePreviewFrames(s, QRect(193, 29, 140, 140), QRect(193, 251, 150, 90));
    EXPECT_EQ(s.frameWidth, 140);
    EXPECT_EQ(s.frameHeight, 140);
    EXPECT_EQ(s.puzzleFrame, QPoint(193, 29));
    EXPECT_EQ(s.finishedFrame, QPoint(193, 251));

    ASSERT_TRUE(createPreviewSurfaces(s, s.frameWidth, s.frameHeight));
    for (PreviewSurface* surface : {&s.puzzleSurface, &s.finishedSurface}) {
        EXPECT_EQ(surface->image.size(), QSize(140, 140));
        EXPECT_TRUE(allWhite(surface->image));
    }
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
}

TEST(PreviewSurfaceLifecycle, CreationThatCannotAllocateFails) {
    PreviewSurfaces s;
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
    RenderResult renderFile(const std::string& path, int slot = 0) {
        return renderPreview(s, path, "", 0, 1000, slot);
    }

    // The destination rectangle holds the picture's quadrants (looked up a few pixels in
    // from each corner, so the far edges count), and everything around it is white.
    void expectPictureAt(const QImage& img, const QRect& r, int tolerance = 40) {
        const int in = 3;
        EXPECT_TRUE(near(img.pixel(r.left() + in, r.top() + in), kTopLeft, tolerance));
        EXPECT_TRUE(near(img.pixel(r.right() - in, r.top() + in), kTopRight, tolerance));
        EXPECT_TRUE(near(img.pixel(r.left() + in, r.bottom() - in), kBottomLeft, tolerance));
        EXPECT_TRUE(near(img.pixel(r.right() - in, r.bottom() - in), kBottomRight, tolerance));
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
    struct Case {
        const char* what;
        int w, h;
        const char* format;
        QRect destination;
    };
    const Case cases[] = {
        {"landscape, centred vertically", 64, 48, "bmp", QRect(0, 17, 140, 105)},
        {"portrait, centred horizontally", 48, 64, "bmp", QRect(17, 0, 105, 140)},
        {"small, enlarged", 20, 20, "bmp", QRect(0, 0, 140, 140)},
        {"jpeg landscape", 640, 480, "jpeg", QRect(0, 17, 140, 105)},
        {"larger than 1200, shown whole", 3000, 2000, "jpeg", QRect(0, 23, 140, 93)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path =
            write(QString("p.") + c.format, encodePicture(quadrantPicture(c.w, c.h), c.format));
        const RenderResult r = renderFile(path);
        EXPECT_EQ(r.returned, 1);
        EXPECT_TRUE(r.changed);
        EXPECT_EQ(r.decodedWidth, c.w);
        EXPECT_EQ(r.decodedHeight, c.h);
        expectPictureAt(s.puzzleSurface.image, c.destination);
    }
}

TEST_F(RenderPreview, APictureOverflowingAFrameThatIsNotSquareIsClipped) {
    ASSERT_TRUE(createPreviewSurfaces(s, 140, 120));
    const std::string path = write("wide.bmp", encodePicture(quadrantPicture(400, 390), "bmp"));
    const RenderResult r = renderFile(path);
    EXPECT_EQ(r.decodedWidth, 400);
    // Drawn 140 x 136 at (0, -8): the top and bottom rows both show picture, and the
    // middle of the picture sits at the middle of the frame.
    const QImage& img = s.puzzleSurface.image;
    EXPECT_TRUE(near(img.pixel(5, 0), kTopLeft));
    EXPECT_TRUE(near(img.pixel(134, 119), kBottomRight));
    EXPECT_TRUE(near(img.pixel(5, 57), kTopLeft));
    EXPECT_TRUE(near(img.pixel(5, 63), kBottomLeft));
}

TEST_F(RenderPreview, TheSlotChoosesTheSurface) {
    const std::string path = write("p.bmp", encodePicture(quadrantPicture(64, 48), "bmp"));
    renderFile(path, 1);
    EXPECT_TRUE(allWhite(s.puzzleSurface.image));
    expectPictureAt(s.finishedSurface.image, QRect(0, 17, 140, 105));

    blankSurface(s.finishedSurface);
    renderFile(path, 7);
    EXPECT_TRUE(allWhite(s.puzzleSurface.image));
    EXPECT_FALSE(allWhite(s.finishedSurface.image));

    renderFile(path, 0);
    expectPictureAt(s.puzzleSurface.image, QRect(0, 17, 140, 105));
}

TEST_F(RenderPreview, AStoredPictureComesFromTheCurrentFileEvenWhenAPathIsGiven) {
    const QByteArray own = encodePicture(quadrantPicture(64, 48), "bmp");
    const QByteArray stored = encodePicture(quadrantPicture(48, 64), "jpeg");
    const std::string path = write("own.bmp", own);
    const std::string adx = write("set.adx", QByteArray(1174, '\x33') + stored);

    const RenderResult r = renderPreview(s, path, adx, 1174, stored.size(), 0);
    EXPECT_EQ(r.decodedWidth, 48);
    EXPECT_EQ(r.decodedHeight, 64);
    expectPictureAt(s.puzzleSurface.image, QRect(17, 0, 105, 140));

    // The same through the document's own slot rule.
    pdt::puzzle::Document doc;
    doc.state.currentFilePath = adx;
    auto& rec = doc.pattern(0);
    pdt::puzzle::setFieldText(rec.finishedImagePath, "own.bmp");
    rec.sourceFiles[1] = path;
    rec.finishedImageOffset = 0;
    rec.finishedImageSize = std::int32_t(own.size());
    rec.puzzleImageOffset = 1174;
    rec.puzzleImageSize = std::int32_t(stored.size());
    const RenderResult puzzle = renderPreview(s, SlotSource(doc, 0, 0), 0);
    const RenderResult finished = renderPreview(s, SlotSource(doc, 0, 1), 1);
    EXPECT_EQ(QSize(puzzle.decodedWidth, puzzle.decodedHeight), QSize(48, 64));
    EXPECT_EQ(QSize(finished.decodedWidth, finished.decodedHeight), QSize(64, 48));
    expectPictureAt(s.finishedSurface.image, QRect(0, 17, 140, 105));
}

TEST_F(RenderPreview, SizeZeroChangesNothingAndDecodesNothing) {
    const std::string path = write("p.bmp", encodePicture(quadrantPicture(64, 48), "bmp"));
    renderFile(path);
    const QImage before = s.puzzleSurface.image.copy();
    const std::uint64_t decodes = pictureDecodeCount();

    for (const std::string& adx : {std::string(), path}) {
        const RenderResult r = renderPreview(s, path, adx, 0, 0, 0);
        EXPECT_EQ(r.returned, 0);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.decodedWidth, 0);
        EXPECT_EQ(r.decodedHeight, 0);
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
    const std::string empty = write("empty.gif", {});
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
        {"zero-length file", empty, adx, 0, 1},
        {"bytes that are no picture", text, adx, 0, 15},
        {"range past the end of the current file", goodPath, adx, 100, good.size() + 1},
        {"range after the end of the current file", "", adx, 100000, 10},
        {"hostile size", "", adx, 100, 0x7FFFFFFF},
        {"negative offset", "", adx, -100, good.size()},
        {"negative size", "", adx, 100, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each starts from a good picture, so a failure has something to wipe out.
        ASSERT_EQ(renderPreview(s, goodPath, adx, 0, good.size(), 0).decodedWidth, 64);
        const RenderResult r = renderPreview(s, c.path, c.currentFile, c.offset, c.size, 0);
        EXPECT_EQ(r.returned, 1);
        EXPECT_TRUE(r.changed);
        EXPECT_EQ(r.decodedWidth, 0);
        EXPECT_EQ(r.decodedHeight, 0);
        EXPECT_TRUE(allWhite(s.puzzleSurface.image));
    }
}

TEST_F(RenderPreview, PaintingCopiesBothSurfacesToTheirFramesWithoutDecoding) {
    PreviewSurfaces frames;
    measurePreviewFrames(frames, QRect(10, 5, 140, 140), QRect(10, 160, 140, 140));
    ASSERT_TRUE(createPreviewSurfaces(frames, frames.frameWidth, frames.frameHeight));
    const std::string path = write("p.bmp", encodePicture(quadrantPicture(64, 48), "bmp"));
    renderPreview(frames, path, "", 0, 1, 0);

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
