#pragma once
// The two preview frames, fed from the loader. A frame shows a picture seen before at once,
// keeps what it shows while a new picture is decoded (no white flash), goes white at once
// when the slot has no picture, and wears a busy cursor when a decode keeps it waiting.

#include "preview/preview_loader.h"
#include "preview/preview_surfaces.h"
#include "puzzle/document.h"

#include <QObject>

#include <array>
#include <vector>

class QWidget;

namespace pdt::app {

class PreviewFrames : public QObject {
    Q_OBJECT
  public:
    // `canvas` paints `surfaces` (paintPreviews); the frame controls get the busy cursor.
    PreviewFrames(preview::PreviewLoader& loader, preview::PreviewSurfaces& surfaces,
                  QWidget* canvas, QWidget* puzzleFrame, QWidget* finishedFrame,
                  QObject* parent = nullptr);

    // Shows a slot's picture at the surfaces' frame size: drawn before this returns when it
    // is at hand, else when its decode lands. Whatever was asked for the slot before is
    // dropped, so only the last picture asked for ever reaches the frame.
    void show(int slot, const puzzle::ImageSource& source);
    // White at once; a decode still on its way for the slot is dropped.
    void clear(int slot);
    // Pictures to decode ahead while the author rests (the patterns around the shown one).
    void prefetch(const std::vector<puzzle::ImageSource>& sources);
    bool pending(int slot) const { return channels_[slot == 0 ? 0 : 1]->pending(); }

  signals:
    // A slot's surface has new content and its frame has been scheduled for repainting.
    void shown(int slot);

  private:
    preview::SurfaceShape frameShape() const;
    void place(int slot, const preview::PictureSurface& surface);

    preview::PreviewLoader& loader_;
    preview::PreviewSurfaces& surfaces_;
    QWidget* canvas_;
    std::array<QWidget*, 2> frames_;
    std::array<preview::SurfaceChannel*, 2> channels_{};
};

} // namespace pdt::app
