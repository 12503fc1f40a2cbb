#pragma once
// Test pictures made on the spot, so no binary pictures live in the repository.
// Also used by bench/bench_preview.cpp.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QImageIOHandler>
#include <QImageWriter>
#include <QString>
#include <QtEndian>

#include <cstdlib>
#include <vector>

namespace pdt::test {

inline const QColor kTopLeft{220, 30, 30};
inline const QColor kTopRight{30, 200, 30};
inline const QColor kBottomLeft{30, 30, 220};
inline const QColor kBottomRight{230, 220, 40};

inline bool near(QRgb actual, const QColor& expected, int tolerance = 40) {
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

inline bool isWhite(QRgb c) {
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

// True for a picture whose every pixel is white; false for a null one.
inline bool allWhite(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!isWhite(img.pixel(x, y)))
                return false;
    return !img.isNull();
}

// Four solid quadrants in clearly different colours, so a test can tell which part of a
// picture ended up where.
inline QImage quadrantPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2;
            const bool bottom = y >= h / 2;
            const QColor& c =
                bottom ? (right ? kBottomRight : kBottomLeft) : (right ? kTopRight : kTopLeft);
            line[x] = c.rgb();
        }
    }
    return img;
}

// A busy picture of the kind a camera produces, so the encoded file has a realistic size
// and decoding has real work to do.
inline QImage photoLikePicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    unsigned noise = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = int(noise >> 27); // 0..31
            line[x] =
                qRgb((x * 255 / w + n) & 255, (y * 255 / h + n) & 255, ((x + y) / 7 + n) & 255);
        }
    }
    return img;
}

struct EncodeOptions {
    bool progressive = false;
    int quality = 90;
};

inline QByteArray encodePicture(const QImage& img, const char* format,
                                const EncodeOptions& options = {}) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(options.quality);
    writer.setProgressiveScanWrite(options.progressive);
    if (!writer.write(img))
        return {};
    return out;
}

// The JPEG with an EXIF orientation tag added after its start marker (6: turn 90 degrees
// clockwise to show). Qt's writer turns the pixels instead of writing the tag.
inline QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    // "Exif", then a big-endian TIFF whose one IFD holds one entry: orientation, SHORT, 1.
    QByteArray app1 = QByteArray::fromHex("4578696600004D4D002A000000080001011200030000000100");
    app1.append(char(orientation)).append(QByteArray(6, '\0'));
    const int length = int(app1.size()) + 2;
    const char marker[] = {char(0xFF), char(0xE1), char(length >> 8), char(length & 0xFF)};
    return jpeg.left(2) + QByteArray(marker, 4) + app1 + jpeg.mid(2);
}

// A BMP whose rows are stored top-down, as its negative height says.
inline QByteArray topDownBmp(const QImage& img) {
    const QByteArray bmp = encodePicture(img, "bmp");
    const auto le32 = [&bmp](int at) { return qFromLittleEndian<qint32>(bmp.constData() + at); };
    const int start = le32(10);
    const qsizetype row = (bmp.size() - start) / img.height();
    QByteArray out = bmp.left(start);
    qToLittleEndian<qint32>(-img.height(), out.data() + 22);
    for (int y = img.height() - 1; y >= 0; --y)
        out += bmp.mid(start + y * row, row);
    return out;
}

// The picture with its header patched to claim w x h pixels; its data stays as it was,
// far too short for that size. BMP (a negative h: top-down), GIF, JPEG and icons
// (whose bitmap is patched: their directory holds at most 256 x 256).
inline QByteArray claimingSize(QByteArray bytes, int w, int h) {
    const auto put = [&bytes](qsizetype at, qint64 v, int n, bool bigEndian) {
        for (int i = 0; i < n; ++i)
            bytes[at + (bigEndian ? n - 1 - i : i)] = char((v >> (8 * i)) & 0xFF);
    };
    if (bytes.startsWith("BM")) {
        put(18, w, 4, false);
        put(22, h, 4, false);
    } else if (bytes.startsWith("GIF")) {
        put(6, w, 2, false);
        put(8, h, 2, false);
    } else if (bytes.startsWith("\xFF\xD8")) {
        for (qsizetype at = 2; at + 9 < bytes.size();) {
            const auto marker = quint8(bytes[at + 1]);
            if (marker >= 0xC0 && marker <= 0xC2) {
                put(at + 5, h, 2, true);
                put(at + 7, w, 2, true);
                break;
            }
            at += 2 + (quint8(bytes[at + 2]) << 8 | quint8(bytes[at + 3]));
        }
    } else { // an icon: the bitmap of its first entry, whose directory cannot say more
        const qsizetype at = quint8(bytes[18]) | quint8(bytes[19]) << 8;
        put(at + 4, w, 4, false);
        put(at + 8, qint64(h) * 2, 4, false); // the colours and the mask
    }
    return bytes;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A GIF89a of one or more frames of the same size, each of at most 128 colours. Qt reads
// GIF but does not write it. The LZW stream uses 8-bit codes and restarts the code table
// every 100 pixels, before it would grow to 9-bit codes, so each code is one pixel byte.
inline QByteArray gifBytes(const std::vector<QImage>& frames) {
    const int w = frames.front().width();
    const int h = frames.front().height();
    QHash<QRgb, int> index;
    std::vector<QRgb> palette;
    for (const QImage& f : frames)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb c = f.pixel(x, y) | 0xFF000000u;
                if (!index.contains(c)) {
                    if (palette.size() == 128)
                        return {};
                    index.insert(c, int(palette.size()));
                    palette.push_back(c);
                }
            }
    palette.resize(128, qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    const auto le16 = [&out](int v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    le16(w);
    le16(h);
    // A global colour table of 128 entries at 8-bit colour resolution, background 0, aspect 0.
    out.append("\xF6\0\0", 3);
    for (QRgb c : palette)
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    constexpr char kClear = char(128);
    constexpr char kEnd = char(129);
    for (const QImage& f : frames) {
        out.append(char(0x2C));
        for (const int v : {0, 0, w, h})
            le16(v);
        out.append("\0\7", 2); // no local table, not interlaced; LZW minimum code size 7
        QByteArray codes;
        codes.reserve(qsizetype(w) * h * 101 / 100 + 2);
        int run = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (run % 100 == 0)
                    codes.append(kClear);
                ++run;
                codes.append(char(index.value(f.pixel(x, y) | 0xFF000000u)));
            }
        codes.append(kEnd);
        for (qsizetype at = 0; at < codes.size(); at += 255) {
            const qsizetype n = std::min<qsizetype>(255, codes.size() - at);
            out.append(char(n));
            out.append(codes.constData() + at, n);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

} // namespace pdt::test
