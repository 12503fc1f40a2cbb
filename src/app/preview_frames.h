#pragma once
// The two preview frames, fed from the loader. A frame shows a picture seen before at once,
// keeps what it shows while a new picture is decoded (no white flash), goes white at once
// when the slot has no picture, and wears a busy cursor when a decode keeps it waiting.
// The surfaces are painted on the canvas beneath the frame controls, which draw only their
// borders; a double click on a frame asks for its picture large.

#include "preview/preview_loader.h"
#include "preview/preview_surfaces.h"
#include "puzzle/document.h"

#include <QObject>

#include <array>
#include <functional>
#include <vector>

class QPoint;
class QWidget;

namespace pdt::app {

class MadePictures;

class PreviewFrames : public QObject {
    Q_OBJECT
  public:
    // How the surfaces are made; replaceable so that a failure can be tested.
    using SurfaceCreation = std::function<bool(preview::PreviewSurfaces&, int width, int height)>;

    // `canvas` paints `surfaces` (paintPreviews) once painting is on; `frames` by slot.
    PreviewFrames(preview::PreviewLoader& loader, preview::PreviewSurfaces& surfaces,
                  QWidget* canvas, std::array<QWidget*, 2> frames, QObject* parent = nullptr);

    // Measures the frames and makes both surfaces white; false when they cannot be made.
    bool makeSurfaces(const SurfaceCreation& create);
    // Before the first surfaces are made there is nothing to paint.
    void setPainting(bool on) { painting_ = on; }
    // Repaints the canvas at once, from the surfaces.
    void repaintNow();

    // Shows a slot's picture at the surfaces' frame size: drawn before this returns when it
    // is at hand, else when its decode lands. Whatever was asked for the slot before is
    // dropped, so only the last picture asked for ever reaches the frame. Returns the
    // picture's stored size from its header, at once (0 x 0 for none).
    QSize show(int slot, const puzzle::ImageSource& source);
    // White at once; a decode still on its way for the slot is dropped.
    void clear(int slot);
    // The pictures of the patterns around the one shown are decoded ahead while the author
    // rests.
    void prefetchAround(const puzzle::Document& doc, int shown);
    bool pending(int slot) const { return channels_[slot == 0 ? 0 : 1]->pending(); }
    // Each frame's tooltip and accessible description name its picture of pattern `index`:
    // its name, pixel size and file size, and whether the editor made it from another.
    void describePictures(const puzzle::Document& doc, int index);
    // Where the window keeps the pictures it made; null for none.
    void setMadePictures(const MadePictures* made) { made_ = made; }
    // The slot of the frame under a point of `window`'s coordinates, or -1.
    int slotAt(QWidget* window, const QPoint& at) const;

  signals:
    // A slot's surface has new content and its frame has been scheduled for repainting.
    void shown(int slot);
    // The frame of a slot was double-clicked.
    void opened(int slot);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    preview::SurfaceShape frameShape() const;
    void place(int slot, const preview::PictureSurface& surface);

    preview::PreviewLoader& loader_;
    preview::PreviewSurfaces& surfaces_;
    QWidget* canvas_;
    std::array<QWidget*, 2> frames_;
    std::array<preview::SurfaceChannel*, 2> channels_{};
    bool painting_ = false;
    const MadePictures* made_ = nullptr;
};

} // namespace pdt::app
