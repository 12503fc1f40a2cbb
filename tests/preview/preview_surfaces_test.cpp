// Where a picture lands in a preview frame, and the frame surface the loader makes. Painting
// the surfaces into the window is checked through the window (main_window_pictures_test.cpp).

#include "preview/preview_surfaces.h"

#include "preview/preview_loader.h"
#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace pdt::preview;
using namespace pdt::test;

namespace {

// The destination rectangle, clipped by the surface, holds the picture's quadrants: looked
// up a few pixels in from each corner, so the far edges count. All around it is white.
void expectPictureAt(const QImage& img, const QRect& r) {
    const QRect shown = r & img.rect();
    const int in = 4;
    EXPECT_TRUE(near(img.pixel(shown.left() + in, shown.top() + in), kTopLeft));
    EXPECT_TRUE(near(img.pixel(shown.right() - in, shown.top() + in), kTopRight));
    EXPECT_TRUE(near(img.pixel(shown.left() + in, shown.bottom() - in), kBottomLeft));
    EXPECT_TRUE(near(img.pixel(shown.right() - in, shown.bottom() - in), kBottomRight));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!r.contains(x, y) && !isWhite(img.pixel(x, y))) {
                ADD_FAILURE() << "not white at " << x << "," << y;
                return;
            }
}

// Where a picture lands in a frame; where a format is given, the frame surface the loader
// makes from such a picture file holds it there, on white.
TEST(FrameSurface, FitsTheLongerSideCentresAndHoldsThePictureOnWhite) {
    QTemporaryDir dir;
    const struct {
        int frameW, frameH, w, h;
        int dw, dh, dx, dy;
        const char* format = nullptr;
    } cases[] = {
        // Landscape: width fitted, centred vertically; the JPEG decoded reduced.
        {140, 140, 3000, 2000, 140, 93, 0, 23, "jpeg"},
        {140, 140, 48, 64, 105, 140, 17, 0, "bmp"},   // portrait: height fitted
        {140, 140, 100, 50, 140, 70, 0, 35},          // smaller than the frame: enlarged
        {133, 133, 640, 480, 133, 99, 0, 17},         // 99.75 truncates to 99, leftover 17
        {140, 120, 400, 390, 140, 136, 0, -8, "bmp"}, // overflows a frame that is not square
        {140, 120, 140, 123, 140, 123, 0, -1},        // a leftover of -3 truncates to -1
        {0, 0, 30, 20, 30, 20, -15, -10},             // a zero scale becomes 1
        {140, 140, 0, 0, 0, 0, 70, 70},               // no picture draws nothing
    };
    const CancelFlag live{false};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.w << "x" << c.h << " in " << c.frameW << "x" << c.frameH);
        const PreviewGeometry g = previewGeometry(c.frameW, c.frameH, c.w, c.h);
        const QRect destination(c.dx, c.dy, c.dw, c.dh);
        EXPECT_EQ(QRect(g.dx, g.dy, g.dw, g.dh), destination);
        if (!c.format)
            continue;
        const QString path = dir.filePath(QString("p.") + c.format);
        ASSERT_TRUE(writeBytes(path, encodePicture(quadrantPicture(c.w, c.h), c.format)));
        const pdt::puzzle::ImageSource source{pdt::puzzle::ImageSource::Kind::WholeFile,
                                              path.toStdString(), 0, 1};
        const QSize frame(c.frameW, c.frameH);
        const PictureSurface s =
            makeSurface(decodeCancellable, source, {SurfaceLayout::Frame, frame}, live);
        EXPECT_EQ(s.storedSize, QSize(c.w, c.h));
        ASSERT_EQ(s.image.size(), frame);
        expectPictureAt(s.image, destination);
    }
    // Fitted, the picture alone keeps its aspect; a cancelled decode gives no picture.
    const QString tall = dir.filePath("tall.bmp");
    ASSERT_TRUE(writeBytes(tall, encodePicture(quadrantPicture(300, 700), "bmp")));
    const pdt::puzzle::ImageSource source{pdt::puzzle::ImageSource::Kind::WholeFile,
                                          tall.toStdString(), 0, 1};
    const SurfaceShape fitted{SurfaceLayout::Fitted, QSize(90, 90)};
    EXPECT_EQ(makeSurface(decodeCancellable, source, fitted, live).image.size(), QSize(38, 90));
    EXPECT_FALSE(makeSurface(decodeCancellable, source, fitted, CancelFlag{true}).hasPicture());
    // No picture leaves a frame white, whatever it held before.
    QImage frame(140, 140, QImage::Format_RGB32);
    frame.fill(Qt::black);
    drawPreviewPicture(frame, {});
    EXPECT_TRUE(allWhite(frame));
    // The window's surfaces: none for an empty frame or one too large to allocate.
    PreviewSurfaces surfaces;
    EXPECT_FALSE(createPreviewSurfaces(surfaces, 0, 140));
    EXPECT_FALSE(createPreviewSurfaces(surfaces, 1 << 20, 1 << 20));
}

} // namespace
