#pragma once
// The two off-screen pictures behind the preview frames, and drawing a picture into one.
//
// A surface holds exactly the pixels its frame shows, so painting the window is two block
// copies and never a decode: pictures are drawn into surfaces off the GUI thread (see
// preview_loader.h) and handed over whole.

#include "preview/picture_decoder.h"
#include "puzzle/document.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <string>

class QPainter;

namespace pdt::preview {

// Where a picture of w x h lands in a frame: its longer side (its height when the sides
// are equal) is fitted to the same side of the frame, whatever the frame's own aspect, and
// the result is centred. Offsets are negative where the picture overflows the frame.
struct PreviewGeometry {
    double scale = 1.0;
    int dx = 0;
    int dy = 0;
    int dw = 0;
    int dh = 0;
};

PreviewGeometry previewGeometry(int frameWidth, int frameHeight, int w, int h);

// Smooth rather than dropping whole rows and columns: a 40:1 reduction that drops them
// turns fine detail into noise, and bench_preview measures smoothing no dearer.
inline constexpr Sampling kPreviewSampling = Sampling::Smooth;

// The size a picture is decoded at for a frame: the size it is drawn at, so a large JPEG is
// reduced in the DCT and its full-size pixels never exist.
WantedSize previewDrawnSize(int frameWidth, int frameHeight);

// A frame's content: white, then the picture (decoded at previewDrawnSize) where
// previewGeometry places it. `surface` keeps its size; a null surface is left alone.
void drawPreviewPicture(QImage& surface, const DecodedPicture& picture);

struct PreviewSurface {
    QImage image; // frameWidth x frameHeight; null before creation and after release
};

struct PreviewSurfaces {
    PreviewSurface puzzleSurface;   // slot 0
    PreviewSurface finishedSurface; // any other slot
    int frameWidth = 0;             // both surfaces have the puzzle frame's size
    int frameHeight = 0;
    QPoint puzzleFrame; // top-left corners in the window's client coordinates
    QPoint finishedFrame;

    PreviewSurface& forSlot(int slot) { return slot == 0 ? puzzleSurface : finishedSurface; }
};

// The frame geometry from the two frame controls' rectangles (client coordinates, border
// included). The finished frame contributes its position only.
void measurePreviewFrames(PreviewSurfaces& surfaces, const QRect& puzzleFrame,
                          const QRect& finishedFrame);

// Makes both surfaces frameWidth x frameHeight and white, replacing any earlier ones.
// False when either cannot be allocated; the other is still made.
bool createPreviewSurfaces(PreviewSurfaces& surfaces, int frameWidth, int frameHeight);

// Frees both surfaces; a second call does nothing.
void releasePreviewSurfaces(PreviewSurfaces& surfaces);

void blankSurface(PreviewSurface& surface);

// What the window's paint handler draws: both surfaces at their frames.
void paintPreviews(QPainter& painter, const PreviewSurfaces& surfaces);

} // namespace pdt::preview
