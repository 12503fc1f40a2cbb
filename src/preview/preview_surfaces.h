#pragma once
// The two off-screen pictures behind the preview frames, and drawing a picture into one.
//
// A surface holds exactly the pixels its frame shows, so painting the window is two block
// copies and never a decode. Only blankSurface and renderPreview change a surface.

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

struct RenderResult {
    int returned = 0;     // 0 when the slot has no picture (size 0), else 1
    int decodedWidth = 0; // the picture's stored pixel size; 0 x 0 for no picture
    int decodedHeight = 0;
    bool changed = false; // the surface was redrawn, so the window needs a repaint
};

// Fills the slot's surface with the picture: white, then the picture scaled and centred.
// Size 0 means the slot has no picture and leaves the surface as it is. A non-zero offset
// reads the range of currentFilePath; offset 0 reads the file at path; offset 0 with an
// empty path leaves the surface white. A picture that cannot be read leaves it white.
RenderResult renderPreview(PreviewSurfaces& surfaces, const std::string& path,
                           const std::string& currentFilePath, std::int64_t offset,
                           std::int64_t size, int slot);

// The same for a slot's picture as the document locates it.
RenderResult renderPreview(PreviewSurfaces& surfaces, const puzzle::ImageSource& source, int slot);

// What the window's paint handler draws: both surfaces at their frames.
void paintPreviews(QPainter& painter, const PreviewSurfaces& surfaces);

} // namespace pdt::preview
