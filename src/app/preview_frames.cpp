#include "app/preview_frames.h"

#include <QWidget>

namespace pdt::app {

PreviewFrames::PreviewFrames(preview::PreviewLoader& loader, preview::PreviewSurfaces& surfaces,
                             QWidget* canvas, QWidget* puzzleFrame, QWidget* finishedFrame,
                             QObject* parent)
    : QObject(parent), loader_(loader), surfaces_(surfaces),
      canvas_(canvas), frames_{puzzleFrame, finishedFrame} {
    for (int slot : {0, 1}) {
        auto* channel = new preview::SurfaceChannel(loader, this);
        channels_[size_t(slot)] = channel;
        connect(channel, &preview::SurfaceChannel::ready, this,
                [this, slot](const preview::PictureSurface& s) { place(slot, s); });
        connect(channel, &preview::SurfaceChannel::waitingChanged, this, [this, slot](bool on) {
            if (QWidget* frame = frames_[size_t(slot)]) {
                if (on)
                    frame->setCursor(Qt::BusyCursor);
                else
                    frame->unsetCursor();
            }
        });
    }
}

preview::SurfaceShape PreviewFrames::frameShape() const {
    return {preview::SurfaceLayout::Frame, QSize(surfaces_.frameWidth, surfaces_.frameHeight)};
}

void PreviewFrames::show(int slot, const puzzle::ImageSource& source) {
    channels_[slot == 0 ? 0 : 1]->show(source, frameShape());
}

void PreviewFrames::clear(int slot) {
    channels_[slot == 0 ? 0 : 1]->cancel();
    place(slot, {});
}

void PreviewFrames::prefetch(const std::vector<puzzle::ImageSource>& sources) {
    std::vector<preview::PreviewLoader::Request> requests;
    for (const puzzle::ImageSource& s : sources)
        requests.emplace_back(s, frameShape());
    loader_.prefetch(std::move(requests));
}

void PreviewFrames::place(int slot, const preview::PictureSurface& surface) {
    preview::PreviewSurface& target = surfaces_.forSlot(slot);
    if (target.image.isNull())
        return;
    // A surface made for another frame size (before a reset) is no use here.
    if (surface.hasPicture() && surface.image.size() == target.image.size())
        target.image = surface.image; // shared with the cache until either is drawn on
    else
        preview::blankSurface(target);
    const QPoint at = slot == 0 ? surfaces_.puzzleFrame : surfaces_.finishedFrame;
    if (canvas_)
        canvas_->update(QRect(at, target.image.size()));
    emit shown(slot);
}

} // namespace pdt::app
