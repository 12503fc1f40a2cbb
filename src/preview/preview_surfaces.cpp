#include "preview/preview_surfaces.h"

#include "preview/picture_decoder.h"

#include <QPainter>

namespace pdt::preview {

PreviewGeometry previewGeometry(int frameWidth, int frameHeight, int w, int h) {
    PreviewGeometry g;
    if (w <= 0 || h <= 0) {
        // No picture: nothing to draw, and no division by zero.
        g.dx = frameWidth / 2;
        g.dy = frameHeight / 2;
        return g;
    }
    g.scale = w > h ? double(frameWidth) / w : double(frameHeight) / h;
    if (g.scale == 0.0)
        g.scale = 1.0;
    g.dw = int(w * g.scale);
    g.dh = int(h * g.scale);
    g.dx = (frameWidth - g.dw) / 2;
    g.dy = (frameHeight - g.dh) / 2;
    return g;
}

void measurePreviewFrames(PreviewSurfaces& surfaces, const QRect& puzzleFrame,
                          const QRect& finishedFrame) {
    surfaces.puzzleFrame = puzzleFrame.topLeft();
    surfaces.frameWidth = puzzleFrame.width();
    surfaces.frameHeight = puzzleFrame.height();
    surfaces.finishedFrame = finishedFrame.topLeft();
}

bool createPreviewSurfaces(PreviewSurfaces& surfaces, int frameWidth, int frameHeight) {
    releasePreviewSurfaces(surfaces);
    surfaces.frameWidth = frameWidth;
    surfaces.frameHeight = frameHeight;
    bool ok = true;
    for (PreviewSurface* s : {&surfaces.puzzleSurface, &surfaces.finishedSurface}) {
        if (frameWidth > 0 && frameHeight > 0)
            s->image = QImage(frameWidth, frameHeight, QImage::Format_RGB32);
        if (s->image.isNull())
            ok = false;
        blankSurface(*s);
    }
    return ok;
}

void releasePreviewSurfaces(PreviewSurfaces& surfaces) {
    surfaces.puzzleSurface.image = QImage();
    surfaces.finishedSurface.image = QImage();
}

void blankSurface(PreviewSurface& surface) {
    if (!surface.image.isNull())
        surface.image.fill(Qt::white);
}

WantedSize previewDrawnSize(int frameWidth, int frameHeight) {
    return [frameWidth, frameHeight](QSize stored) {
        const PreviewGeometry g =
            previewGeometry(frameWidth, frameHeight, stored.width(), stored.height());
        return QSize(std::max(g.dw, 1), std::max(g.dh, 1));
    };
}

void drawPreviewPicture(QImage& surface, const DecodedPicture& picture) {
    if (surface.isNull())
        return;
    surface.fill(Qt::white);
    if (!picture.ok())
        return;
    const PreviewGeometry g = previewGeometry(surface.width(), surface.height(),
                                              picture.decodedWidth, picture.decodedHeight);
    QPainter painter(&surface);
    painter.drawImage(QRect(g.dx, g.dy, g.dw, g.dh), picture.pixels);
}

void paintPreviews(QPainter& painter, const PreviewSurfaces& surfaces) {
    if (!surfaces.puzzleSurface.image.isNull())
        painter.drawImage(surfaces.puzzleFrame, surfaces.puzzleSurface.image);
    if (!surfaces.finishedSurface.image.isNull())
        painter.drawImage(surfaces.finishedFrame, surfaces.finishedSurface.image);
}

} // namespace pdt::preview
