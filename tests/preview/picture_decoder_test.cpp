#include "preview/picture_decoder.h"

#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace pdt::preview;
using namespace pdt::test;

namespace {

// The quadrant colours, looked up a quarter of the way in from each corner.
void expectQuadrants(const QImage& img) {
    const int w = img.width();
    const int h = img.height();
    EXPECT_TRUE(near(img.pixel(w / 4, h / 4), kTopLeft));
    EXPECT_TRUE(near(img.pixel(3 * w / 4, h / 4), kTopRight));
    EXPECT_TRUE(near(img.pixel(w / 4, 3 * h / 4), kBottomLeft));
    EXPECT_TRUE(near(img.pixel(3 * w / 4, 3 * h / 4), kBottomRight));
}

struct Kind {
    const char* name;
    QByteArray (*encode)(const QImage&);
};

const Kind kKinds[] = {
    {"bmp", [](const QImage& i) { return encodePicture(i, "bmp"); }},
    {"top-down bmp", [](const QImage& i) { return topDownBmp(i); }},
    {"jpeg", [](const QImage& i) { return encodePicture(i, "jpeg"); }},
    {"progressive jpeg",
     [](const QImage& i) { return encodePicture(i, "jpeg", {.progressive = true}); }},
    // A GIF gives its first frame: the second is the picture turned upside down.
    {"gif",
     [](const QImage& i) {
         return gifBytes({i, i.mirrored(true, true)});
     }},
    // Shown as stored: the tag (6, turn 90 degrees clockwise) is not applied.
    {"jpeg with an orientation tag",
     [](const QImage& i) { return withExifOrientation(encodePicture(i, "jpeg"), 6); }},
};

// A source that claims its full length but cannot deliver bytes past a point, as a file
// that shrinks while it is being read.
struct ShrinkingSource final : pdt::puzzle::ByteSource {
    ShrinkingSource(const QByteArray& bytes, std::uint64_t readable)
        : bytes(bytes), readable(readable) {}
    std::uint64_t size() const override { return std::uint64_t(bytes.size()); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset + out.size() > readable)
            return false;
        std::copy_n(bytes.constData() + offset, out.size(), out.data());
        return true;
    }
    QByteArray bytes;
    std::uint64_t readable;
};

class PictureDecoder : public ::testing::Test {
  protected:
    std::string write(const QString& name, const QByteArray& bytes) {
        const QString p = dir.filePath(name);
        EXPECT_TRUE(writeBytes(p, bytes));
        return p.toStdString();
    }
    QTemporaryDir dir;
};

// Each kind from its own file and from a range, at its stored size, reduced and enlarged.
TEST_F(PictureDecoder, EachKindDecodesFromItsFileAndFromARangeAtTheWantedSize) {
    // The control for the orientation tag: a reader that applies it shows the picture turned.
    QByteArray tagged = kKinds[std::size(kKinds) - 1].encode(quadrantPicture(64, 48));
    QBuffer taggedBuffer(&tagged);
    QImageReader turning(&taggedBuffer);
    turning.setAutoTransform(true);
    ASSERT_EQ(turning.read().size(), QSize(48, 64));

    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const QByteArray picture = kind.encode(quadrantPicture(64, 48));
        ASSERT_FALSE(picture.isEmpty());
        const std::string own = write("own", picture);

        // Embedded between other bytes, the way a puzzle data file stores it: the range
        // must be read exactly, not from the start of the file nor past its end.
        const QByteArray before(1154, char(0x5A));
        const QByteArray after = encodePicture(quadrantPicture(10, 10), "bmp");
        const std::string container = write("container", before + picture + after);

        EXPECT_EQ(pictureSizeOfFile(own), QSize(64, 48));
        EXPECT_EQ(pictureSizeOfRange(container, before.size(), picture.size()), QSize(64, 48));
        const DecodedPicture fromFile = decodePictureFile(own);
        const DecodedPicture fromRange =
            decodePictureRange(container, before.size(), picture.size());
        ASSERT_TRUE(fromFile.ok());
        ASSERT_TRUE(fromRange.ok());
        EXPECT_EQ(QSize(fromFile.decodedWidth, fromFile.decodedHeight), QSize(64, 48));
        EXPECT_EQ(QSize(fromRange.decodedWidth, fromRange.decodedHeight), QSize(64, 48));
        EXPECT_EQ(fromFile.pixels.size(), QSize(64, 48));
        EXPECT_EQ(fromFile.pixels, fromRange.pixels);
        expectQuadrants(fromFile.pixels);
        // A short read is no picture, not one with a grey part.
        ShrinkingSource whole(picture, std::uint64_t(picture.size()));
        EXPECT_TRUE(decodePictureRange(whole, 0, picture.size()).ok());
        ShrinkingSource shrunk(picture, std::uint64_t(picture.size()) * 3 / 4);
        const DecodedPicture cut = decodePictureRange(shrunk, 0, picture.size());
        EXPECT_FALSE(cut.ok());
        EXPECT_EQ(QSize(cut.decodedWidth, cut.decodedHeight), QSize(0, 0));

        // Reduced (to an eighth, as JPEG does in the DCT) or enlarged pixels; the decoded
        // size stays the stored one.
        const std::string large = write("large", kind.encode(quadrantPicture(800, 600)));
        for (const auto& [path, stored, wanted] :
             {std::tuple{large, QSize(800, 600), QSize(100, 75)},
              {own, QSize(64, 48), QSize(140, 105)}}) {
            for (Sampling sampling : {Sampling::Smooth, Sampling::Nearest}) {
                SCOPED_TRACE(testing::Message() << stored.width() << " " << int(sampling));
                QSize asked;
                const DecodedPicture d = decodePictureFile(
                    path,
                    [&](QSize s) {
                        asked = s;
                        return wanted;
                    },
                    sampling);
                ASSERT_TRUE(d.ok());
                EXPECT_EQ(asked, stored);
                EXPECT_EQ(QSize(d.decodedWidth, d.decodedHeight), stored);
                EXPECT_EQ(d.pixels.size(), wanted);
                expectQuadrants(d.pixels);
            }
        }
    }
}

// Every way of getting no picture: size 0 x 0, no pixels, for the size query as well.
TEST_F(PictureDecoder, EveryFailureIsNoPicture) {
    const QByteArray jpeg = encodePicture(quadrantPicture(40, 30), "jpeg");
    const std::string good = write("good.jpg", jpeg);
    const std::string container = write("container", QByteArray(100, 'x') + jpeg);
    const std::string empty = write("empty.jpg", {});
    const std::string text = write("text.bmp", "this is not a picture at all\n");
    const std::string png = write("picture.png", encodePicture(quadrantPicture(40, 30), "png"));
#ifdef _WIN32
    const std::string fifo = "NUL"; // no FIFOs there; a device, in every folder
#else
    const std::string fifo = dir.filePath("fifo.jpg").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
    const qint64 containerSize = 100 + jpeg.size();

    using P = PictureProblem;
    struct Case {
        const char* what;
        std::string file;
        bool range;
        std::int64_t offset;
        std::int64_t size;
        PictureProblem problem;
    };
    const Case cases[] = {
        {"missing file", dir.filePath("nothing-here.jpg").toStdString(), false, 0, 0,
         P::Unreadable},
        {"a directory", dir.path().toStdString(), false, 0, 0, P::NotAFile},
        {"a FIFO, which must not block", fifo, false, 0, 0, P::NotAFile},
        {"zero-length file", empty, false, 0, 0, P::Unreadable},
        {"bytes that are no picture", text, false, 0, 0, P::UnknownKind},
        {"a kind the player does not read", png, false, 0, 0, P::UnknownKind},
        {"range in a missing file", dir.filePath("nothing-here.adx").toStdString(), true, 100,
         jpeg.size(), P::Unreadable},
        {"range in a FIFO", fifo, true, 0, 10, P::NotAFile},
        {"range starting at the end", container, true, containerSize, 1, P::Unreadable},
        {"range running one byte past the end", container, true, 100, jpeg.size() + 1,
         P::Unreadable},
        {"negative offset", container, true, -1, jpeg.size(), P::Unreadable},
        {"size 0", container, true, 100, 0, P::Unreadable},
        {"range that misses the picture's start", container, true, 101, jpeg.size() - 1,
         P::UnknownKind},
    };
#ifndef _WIN32
    ::alarm(20); // a blocking open ends the test instead of hanging it
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedPicture d =
            c.range ? decodePictureRange(c.file, c.offset, c.size) : decodePictureFile(c.file);
        EXPECT_FALSE(d.ok());
        EXPECT_EQ(d.problem, c.problem);
        EXPECT_EQ(QSize(d.decodedWidth, d.decodedHeight), QSize(0, 0));
        EXPECT_TRUE(d.pixels.isNull());
        const QSize size =
            c.range ? pictureSizeOfRange(c.file, c.offset, c.size) : pictureSizeOfFile(c.file);
        EXPECT_EQ(size, QSize(0, 0));
    }
#ifndef _WIN32
    ::alarm(0);
#endif
    // The control: the same files decode where the range is right.
    EXPECT_TRUE(decodePictureFile(good).ok());
    EXPECT_TRUE(decodePictureRange(container, 100, jpeg.size()).ok());
}

// Headers claiming sizes whose decode would take gigabytes, over data of a few hundred
// bytes: refused from the header alone, before any decode, whatever size is asked for.
// Camera-sized pictures still decode, the decoder scaling them on the way.
TEST_F(PictureDecoder, APictureOverTheMemoryBudgetIsRefusedBeforeItIsDecoded) {
    const QImage small = quadrantPicture(64, 48);
    const QByteArray baseline = encodePicture(small, "jpeg");
    const QByteArray progressive = encodePicture(small, "jpeg", {.progressive = true});
    const QByteArray bmp = encodePicture(small, "bmp");
    const QByteArray icon = encodePicture(small, "ico");
    const WantedSize preview = [](QSize) { return QSize(140, 105); };
    using P = PictureProblem;
    const struct {
        const char* what;
        QByteArray picture;
        int w, h; // claimed
        bool inFull;
        PictureProblem problem;
    } cases[] = {
        // libjpeg keeps all coefficients of a progressive JPEG, even for a reduced decode.
        {"progressive JPEG", progressive, 16000, 16000, false, P::TooLarge},
        {"baseline JPEG in full", baseline, 20000, 20000, true, P::TooLarge},
        // Over the pixel limit, though a preview at 1/8 scale would fit the budget.
        {"baseline JPEG", baseline, 65000, 65000, false, P::TooLarge},
        {"BMP", bmp, 16000, 16000, false, P::TooLarge},
        {"top-down BMP", topDownBmp(small), 16000, -16000, false, P::TooLarge},
        {"GIF", gifBytes({small}), 65535, 65535, false, P::TooLarge},
        // Its directory says 64 x 48, and that is what the reader allocates and decodes.
        {"icon whose bitmap claims more", icon, 30000, 30000, false, P::None},
        // 144 MB in full, above the 128 MB Qt allows by default.
        {"baseline JPEG in full", baseline, 6000, 6000, true, P::None},
        // 100 megapixels, decoded at 1/8 scale; its data cut short shows grey.
        {"baseline JPEG", baseline, 11648, 8736, false, P::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " " << c.w << " x " << c.h);
        const std::string path = write("claim", claimingSize(c.picture, c.w, c.h));
        const QSize claimed = c.picture == icon ? small.size() : QSize(c.w, std::abs(c.h));
        EXPECT_EQ(pictureSizeOfFile(path), claimed);
        const std::uint64_t decodes = pictureDecodeCount();
        const DecodedPicture d = decodePictureFile(path, c.inFull ? WantedSize() : preview);
        EXPECT_EQ(d.problem, c.problem);
        EXPECT_EQ(d.ok(), c.problem == PictureProblem::None);
        EXPECT_EQ(pictureDecodeCount(), decodes + (c.problem == PictureProblem::TooLarge ? 0 : 1));
    }
}

} // namespace
