#pragma once
// Pictures as they come from the real world, made on the spot from generated ones: sound
// pictures, pictures a decoder grumbles about but shows whole, and pictures whose pixels a
// decoder makes up. Each comes with the verdict every entry point must give and the kinds
// of warning the decoder reports for it.

#include "preview/decoder_warnings.h"
#include "preview/picture_kind.h"
#include "preview/test_pictures.h"

#include <string>
#include <vector>

namespace pdt::test {

struct OddPicture {
    std::string name; // a file name whose extension is the picture's kind
    QByteArray bytes;
    bool accepted = true;
    std::vector<preview::DecoderWarning> kinds; // in the order reported
    // Judged right only with libjpeg-turbo's whole account of the decode, which the Windows
    // build lacks: Qt's reader logs only a JPEG's first warning.
    bool wholeAccount = false;
    // For a picture that gives no pixels: what it is, and what the editor's refusal says.
    preview::UnreadableReason unreadable = {};
    std::string editorSays = {};
};

// The bytes with one byte replaced.
inline QByteArray patched(QByteArray b, qsizetype at, int value) {
    b[at] = char(value);
    return b;
}

// The offset of a JPEG's first segment with this marker before its first scan; -1 if none.
inline qsizetype jpegSegment(const QByteArray& jpeg, int marker) {
    for (qsizetype at = 2; at + 4 <= jpeg.size();) {
        const int m = quint8(jpeg[at + 1]);
        if (m == marker)
            return at;
        if (m == 0xDA)
            return -1;
        at += 2 + (quint8(jpeg[at + 2]) << 8 | quint8(jpeg[at + 3]));
    }
    return -1;
}

// Where a JPEG's first scan's entropy-coded data starts.
inline qsizetype jpegScanData(const QByteArray& jpeg) {
    const qsizetype sos = jpegSegment(jpeg, 0xDA);
    return sos + 2 + (quint8(jpeg[sos + 2]) << 8 | quint8(jpeg[sos + 3]));
}

inline QByteArray inserted(const QByteArray& b, qsizetype at, const QByteArray& extra) {
    return b.left(at) + extra + b.mid(at);
}

// A segment with this marker and body, as it sits in a JPEG.
inline QByteArray jpegSegmentBytes(int marker, const QByteArray& body) {
    const auto length = body.size() + 2;
    return QByteArray(1, char(0xFF)) + char(marker) + char(length >> 8) + char(length & 0xFF) +
           body;
}

// The entropy-coded data of the first scan changed in 40 places a third of the way in,
// where no byte becomes or follows a marker's 0xFF.
inline QByteArray corruptScan(QByteArray jpeg) {
    const qsizetype start = jpegScanData(jpeg) + (jpeg.size() - jpegScanData(jpeg)) / 3;
    for (qsizetype i = start; i < start + 80; i += 2)
        if (quint8(jpeg[i]) != 0xFF && quint8(jpeg[i - 1]) != 0xFF)
            jpeg[i] = char(quint8(jpeg[i]) == 0xA5 ? 0x00 : quint8(jpeg[i]) ^ 0x5A);
    return jpeg;
}

// A BMP of 4 bits a pixel with a palette of 4 colours, in bands.
inline QByteArray fourColourBmp(int w, int h) {
    QImage img(w, h, QImage::Format_Indexed8);
    img.setColorCount(4);
    for (int i = 0; i < 4; ++i)
        img.setColor(i, qRgb(i * 60, 255 - i * 60, 128));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, (x / 20 + y / 20) % 4);
    return encodePicture(img, "bmp");
}

// A 256-colour BMP of w x h (w below 256) whose rows are coded in runs: row y is one run of
// colour y % 4. `rows` rows are coded before the end-of-picture code.
inline QByteArray rle8Bmp(int w, int h, int rows) {
    QByteArray data;
    for (int y = 0; y < rows; ++y)
        data.append(char(w)).append(char(y % 4)).append(2, '\0'); // the run, end of row
    data.append('\0').append('\1');
    QByteArray out("BM");
    const auto le = [&out](qint64 v, int n) {
        for (int i = 0; i < n; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    const int dataAt = 14 + 40 + 4 * 4;
    le(dataAt + data.size(), 4);
    le(0, 4);
    le(dataAt, 4);
    for (const qint64 v : {40, w, h})
        le(v, 4);
    le(1, 2);
    le(8, 2);
    for (const qint64 v : {1LL, qint64(data.size()), 2835LL, 2835LL, 4LL, 4LL}) // RLE8
        le(v, 4);
    for (int i = 0; i < 4; ++i)
        le(qRgb(i * 60, 200, 255 - i * 60) & 0xFFFFFF, 4);
    return out + data;
}

// A GIF whose global colour table is cut to `colours` entries: its pixels name up to 64.
inline QByteArray gifWithShortPalette(const QByteArray& gif, int colours) {
    int bits = 0;
    while ((2 << bits) < colours)
        ++bits;
    QByteArray out = gif.left(10);
    out.append(char(0xF0 | bits)).append(gif.mid(11, 2));
    return out + gif.mid(13, 3 * (2 << bits)) + gif.mid(13 + 128 * 3);
}

inline OddPicture usable(std::string name, QByteArray bytes,
                         std::vector<preview::DecoderWarning> kinds = {}, bool whole = false) {
    return {std::move(name), std::move(bytes), true, std::move(kinds), whole};
}

inline OddPicture madeUp(std::string name, QByteArray bytes,
                         std::vector<preview::DecoderWarning> kinds, bool whole = false) {
    return {std::move(name), std::move(bytes), false, std::move(kinds), whole};
}

inline OddPicture unreadable(std::string name, QByteArray bytes, preview::UnreadableReason why,
                             std::string editorSays) {
    return {std::move(name), std::move(bytes),     false, {}, false,
            std::move(why),  std::move(editorSays)};
}

inline std::vector<OddPicture> oddPictures() {
    using W = preview::DecoderWarning;
    const QByteArray jpeg = encodePicture(photoLikePicture(320, 240), "jpeg");
    const QByteArray progressive =
        encodePicture(photoLikePicture(320, 240), "jpeg", {.progressive = true});
    const QByteArray stray("\x00\x11\x22", 3);
    const qsizetype dqt = jpegSegment(jpeg, 0xDB);
    const qsizetype scan = jpegScanData(jpeg);
    const QByteArray strayed = inserted(jpeg, dqt, stray);
    QByteArray jfif2 = jpeg;
    jfif2[jpegSegment(jpeg, 0xE0) + 9] = 3; // JFIF 3.01
    const QByteArray oddExif = jpegSegmentBytes(
        0xE1, QByteArray("Exif\0\0MM\0\x2A\0\0\xFF\xFF", 14) + QByteArray(10, '\x7F'));
    const QByteArray oddIcc =
        jpegSegmentBytes(0xE2, QByteArray("ICC_PROFILE\0\x02\x01", 14) + QByteArray(300, '\x33'));
    const QByteArray bmp = encodePicture(photoLikePicture(300, 200), "bmp");
    const QByteArray indexed = fourColourBmp(300, 200);
    QByteArray pastPalette = indexed;
    pastPalette.replace(70 + 150 * 100, 40, QByteArray(40, char(0xC8))); // indices 12 and 8
    const QByteArray gif = gifBytes({quadrantPicture(240, 220)});
    const qsizetype sof = jpegSegment(jpeg, 0xC0);
    using K = preview::UnreadableKind;

    std::vector<OddPicture> odd{
        usable("sound.jpg", jpeg),
        usable("stray-bytes.jpg", strayed, {W::StrayBytesBetweenSegments}),
        usable("jfif-3.jpg", jfif2, {W::UnknownJfifVersion}),
        usable("odd-exif.jpg", inserted(jpeg, 2, oddExif)),
        usable("odd-icc.jpg", inserted(jpeg, 2, oddIcc), {W::BadIccProfile}, true),
        usable("twice-dqt.jpg", inserted(jpeg, dqt, jpeg.mid(dqt, sof - dqt))),
        usable("app15.jpg", inserted(jpeg, 2, jpegSegmentBytes(0xEF, "junk"))),
        // Qt's reader ends the data with a marker of its own without a word.
        usable("no-end-marker.jpg", jpeg.chopped(2)),
        usable("stray-no-end-marker.jpg", strayed.chopped(2),
               {W::StrayBytesBetweenSegments, W::MissingEndMarker}, true),
        usable("progressive.jpg", progressive),
        // Taken upright, shown on its side: usable as it is, and offered to be turned.
        usable("tagged.jpg", withExifOrientation(jpeg, 6)),
        madeUp("cut-scan.jpg", jpeg.left(scan + (jpeg.size() - scan) / 2), {W::PrematureEnd}),
        madeUp("stray-then-cut.jpg", strayed.left(scan + 3 + (jpeg.size() - scan) / 2),
               {W::StrayBytesBetweenSegments, W::PrematureEnd}, true),
        madeUp("corrupt-scan.jpg", corruptScan(jpeg), {W::CorruptEntropyData}),
        madeUp("cut-progressive.jpg", progressive.left(progressive.size() * 2 / 3),
               {W::PrematureEnd}),
        madeUp("junk-before-end.jpg", inserted(jpeg, jpeg.size() - 2, QByteArray(20, '\x37')),
               {W::CorruptEntropyData}),
        usable("sound.bmp", bmp),
        usable("top-down.bmp", topDownBmp(photoLikePicture(300, 200))),
        usable("four-colours.bmp", indexed),
        usable("runs.bmp", rle8Bmp(240, 220, 220)),
        madeUp("cut.bmp", bmp.left(bmp.size() / 2), {W::MissingRows}),
        madeUp("runs-end-early.bmp", rle8Bmp(240, 220, 200), {W::MissingRows}),
        madeUp("past-palette.bmp", pastPalette, {W::PaletteIndexOutOfRange}),
        usable("sound.gif", gif),
        madeUp("cut.gif", gif.left(gif.size() / 2), {W::MissingRows}),
        madeUp("past-palette.gif", gifWithShortPalette(gif, 2), {W::PaletteIndexOutOfRange}),
        // Kinds the decoders do not read at all.
        unreadable("12-bit.jpg", patched(jpeg, sof + 4, 12), {K::JpegPrecision, 12},
                   "12 ビットの JPEG"),
        unreadable("lossless.jpg", patched(jpeg, sof + 1, 0xC3), {K::JpegLossless},
                   "ロスレス方式の JPEG"),
        unreadable("hierarchical.jpg", patched(jpeg, sof + 1, 0xC5), {K::JpegHierarchical},
                   "階層方式の JPEG"),
        unreadable("jpeg-inside.bmp", patched(bmp, 30, 4), {K::BmpWithJpeg}, "中身が JPEG の BMP"),
        unreadable("png-inside.bmp", patched(bmp, 30, 5), {K::BmpWithPng}, "中身が PNG の BMP"),
        unreadable("header-56.bmp", patched(bmp, 14, 56), {K::BmpHeaderVersion, 56},
                   "ヘッダー 56 バイト"),
        unreadable("zero-wide.gif", patched(patched(gif, 6, 0), 7, 0), {K::GifZeroSide},
                   "幅か高さが 0 の GIF"),
        unreadable("screenshot.png", encodePicture(photoLikePicture(300, 200), "png"),
                   {K::OtherFormat, 0, "PNG"}, "PNG 形式"),
        unreadable("download.webp", encodePicture(photoLikePicture(300, 200), "webp"),
                   {K::OtherFormat, 0, "WebP"}, "WebP 形式"),
        unreadable("scan.tif", encodePicture(photoLikePicture(300, 200), "tiff"),
                   {K::OtherFormat, 0, "TIFF"}, "TIFF 形式"),
    };
    // Without a format's writer installed, its picture is not made, nor read.
    std::erase_if(odd, [](const OddPicture& p) { return p.bytes.isEmpty(); });
    return odd;
}

} // namespace pdt::test
