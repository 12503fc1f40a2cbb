#pragma once
// Small real pictures written to disk for tests that need the decoder to accept them.

#include "preview/test_pictures.h"

#include <string>

namespace pdt::test {

// A w x h picture with a gradient, so that encoders produce ordinary files.
inline QImage gradientPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) & 255));
    return img;
}

// The encoded bytes of a w x h picture at the writer's own quality; format "jpeg", "bmp"
// or "png". Empty on failure.
inline QByteArray pictureFileBytes(int w, int h, const char* format) {
    return encodePicture(gradientPicture(w, h), format, {.quality = -1});
}

// Writes the picture to path; false when it could not.
inline bool writePictureFile(const std::string& path, int w, int h, const char* format) {
    const QByteArray bytes = pictureFileBytes(w, h, format);
    return !bytes.isEmpty() && writeBytes(QString::fromStdString(path), bytes);
}

} // namespace pdt::test
