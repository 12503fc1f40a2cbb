#pragma once
// A window of its own that shows one picture of the shown pattern as large as the window
// allows, decoded at that size off the GUI thread, with, for the puzzle picture, the grid of
// the chosen piece count over it as the picture will be cut. Esc closes it.

#include "pieces/piece_overlay.h"
#include "preview/preview_loader.h"
#include "puzzle/document.h"

#include <QSize>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace pdt::app {

class LargeView : public QWidget {
    Q_OBJECT
  public:
    // A top-level window, kept with `parent` (above it, closed with it).
    explicit LargeView(preview::PreviewLoader& loader, QWidget* parent = nullptr);

    // Shows, raises and activates the window with a slot's picture (0: the puzzle picture,
    // with the grid of pieceCount; 1: the finished picture).
    void showPicture(int slot, const puzzle::ImageSource& source, int pieceCount);
    // The piece count chosen in the main window (that of the shown pattern) changed.
    void setPieceCount(int pieceCount);
    // The shown pattern changed: the same slot, another picture. Cheap while the view is
    // closed, so the window may call it on every show.
    void setSource(const puzzle::ImageSource& source);

    int slot() const { return slot_; }
    int pieceCount() const { return pieceCount_; }
    const pieces::PieceOverlay& overlay() const { return overlay_; }
    // The surface drawn now; it may be one of another size while a resize is decoded.
    const preview::PictureSurface& surface() const { return surface_; }
    bool surfaceIsCurrent() const { return surfaceCurrent_; }
    // Where the picture lies in the canvas, in its coordinates.
    QRect pictureRect() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class LargeViewCanvas;
    void paintCanvas(QPainter& painter);
    void canvasResized();
    void requestSurface();
    void refreshSource();
    void refreshOverlay();

    QWidget* canvas_ = nullptr;
    QLabel* info_ = nullptr;
    preview::SurfaceChannel* channel_ = nullptr;
    QTimer resizeSettle_;
    int slot_ = 0;
    int pieceCount_ = 0;
    puzzle::ImageSource source_;
    QSize pictureSize_;
    pieces::PieceOverlay overlay_;
    preview::PictureSurface surface_;
    bool surfaceCurrent_ = false; // the surface is of the picture shown now
};

} // namespace pdt::app
