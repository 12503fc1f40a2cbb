// Conversion of pictures the player does not read into JPEGs it does.

#include "preview/exif_orientation.h"
#include "preview/picture_conversion.h"
#include "preview/picture_decoder.h"
#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QImageReader>
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

ExifOrientation orientationOf(const QByteArray& jpeg) {
    return readExifOrientation([&](std::int64_t at, std::span<std::uint8_t> out) {
        if (at < 0 || at + qsizetype(out.size()) > jpeg.size())
            return false;
        std::copy_n(jpeg.constData() + at, out.size(), reinterpret_cast<char*>(out.data()));
        return true;
    });
}

// Every orientation a tag can give, on a picture whose sides are whole blocks (turned
// without loss, its EXIF kept with the tag reset) and on one whose are not (mostly decoded,
// turned and encoded again, without EXIF): the stored picture looks as the tagged one is
// shown.
TEST(PictureConversion, StoresTaggedPhotosAsTheyAreShown) {
    QTemporaryDir dir;
    for (const QSize size : {QSize(320, 240), QSize(330, 250)}) {
        const bool whole = size.width() % 16 == 0 && size.height() % 16 == 0;
        const QByteArray plain =
            encodePicture(quadrantPicture(size.width(), size.height()), "jpeg");
        for (int tag = 2; tag <= 8; ++tag) {
            SCOPED_TRACE(std::to_string(size.width()) + " tag " + std::to_string(tag));
            const QString from =
                dir.filePath(QStringLiteral("%1-%2.jpg").arg(size.width()).arg(tag));
            const QString to =
                dir.filePath(QStringLiteral("%1-%2-up.jpg").arg(size.width()).arg(tag));
            const QByteArray tagged = withExifOrientation(plain, tag);
            ASSERT_EQ(orientationOf(tagged).value, tag);
            ASSERT_TRUE(writeBytes(from, tagged));
            const Conversion c = storeUpright(from.toStdString(), to.toStdString());
            ASSERT_TRUE(c.done) << c.failure;

            QImageReader shownReader(from);
            shownReader.setAutoTransform(true);
            const QImage shown = shownReader.read();
            const QByteArray stored = readAll(to);
            const ExifOrientation left = orientationOf(stored);
            EXPECT_EQ(left.value, 1);
            // A transpose never moves a partial block from the edges.
            EXPECT_EQ(left.at >= 0, whole || tag == 5) << "EXIF kept only by the lossless turn";
            QImageReader storedReader(to);
            storedReader.setAutoTransform(false); // as the player shows it
            const QImage back = storedReader.read();
            ASSERT_EQ(back.size(), shown.size());
            for (const QPoint p : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
                const QPoint at(p.x() * back.width() / 4, p.y() * back.height() / 4);
                EXPECT_TRUE(near(back.pixel(at), shown.pixel(at), 24)) << at.x() << "," << at.y();
            }
        }
    }
}

} // namespace
