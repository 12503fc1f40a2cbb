// Conversion of pictures the player does not read into JPEGs it does.

#include "preview/picture_conversion.h"
#include "preview/picture_decoder.h"
#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QTemporaryDir>

using namespace pdt::preview;
using namespace pdt::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Transparency goes onto white, a colour profile into sRGB, the size stays, and the same
// picture gives the same bytes; a target that exists is left alone.
TEST(PictureConversion, MakesTheSameBaselineJpegOnWhiteInSrgbEveryTime) {
    QTemporaryDir dir;
    QImage shot = quadrantPicture(320, 240).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            shot.setPixel(x, y, qRgba(0, 0, 0, 0)); // the top left quarter transparent
    QImage linear(320, 240, QImage::Format_RGB32);
    linear.fill(qRgb(128, 128, 128));
    linear.setColorSpace(QColorSpace(QColorSpace::SRgbLinear));
    const QString shotPng = dir.filePath("shot.png"), linearPng = dir.filePath("linear.png");
    ASSERT_TRUE(writeBytes(shotPng, encodePicture(shot, "png")));
    ASSERT_TRUE(writeBytes(linearPng, encodePicture(linear, "png")));

    const auto convert = [&](const QString& from, const QString& to) {
        const Conversion c = convertToJpeg(from.toStdString(), dir.filePath(to).toStdString());
        EXPECT_TRUE(c.done) << c.failure;
        return readAll(dir.filePath(to));
    };
    const QByteArray first = convert(shotPng, "a.jpg");
    EXPECT_EQ(convert(shotPng, "b.jpg"), first);
    const QImage back = QImage::fromData(first);
    ASSERT_EQ(back.size(), QSize(320, 240));
    EXPECT_TRUE(near(back.pixel(40, 40), Qt::white, 8));
    EXPECT_TRUE(near(back.pixel(280, 200), kBottomRight, 12));
    EXPECT_EQ(first.indexOf("ICC_PROFILE"), -1);
    EXPECT_EQ(quint8(first[3]), 0xE0); // JFIF, then the tables of a baseline frame
    EXPECT_NE(first.indexOf("\xFF\xC0"), -1);

    const QImage srgb = QImage::fromData(convert(linearPng, "linear.jpg"));
    EXPECT_TRUE(near(srgb.pixel(10, 10), QColor(188, 188, 188), 4));

    const Conversion again =
        convertToJpeg(shotPng.toStdString(), dir.filePath("a.jpg").toStdString());
    EXPECT_FALSE(again.done);
    EXPECT_EQ(readAll(dir.filePath("a.jpg")), first);
    EXPECT_FALSE(convertToJpeg(dir.filePath("none.png").toStdString(),
                               dir.filePath("none.jpg").toStdString())
                     .done);
    EXPECT_FALSE(QFile::exists(dir.filePath("none.jpg")));
}

} // namespace
