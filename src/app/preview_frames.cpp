#include "app/preview_frames.h"

#include "app/file_kinds.h"
#include "app/picture_mending.h"
#include "app/ui_texts.h"
#include "puzzle/pictures.h"

#include <QEvent>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QWidget>

namespace pdt::app {

PreviewFrames::PreviewFrames(preview::PreviewLoader& loader, preview::PreviewSurfaces& surfaces,
                             QWidget* canvas, std::array<QWidget*, 2> frames, QObject* parent)
    : QObject(parent), loader_(loader), surfaces_(surfaces), canvas_(canvas), frames_(frames) {
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
        if (QWidget* frame = frames_[size_t(slot)])
            frame->installEventFilter(this);
    }
    if (canvas_)
        canvas_->installEventFilter(this);
}

bool PreviewFrames::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas_ && event->type() == QEvent::Paint && painting_) {
        QPainter painter(canvas_);
        preview::paintPreviews(painter, surfaces_);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (const int slot : {0, 1}) {
            if (watched == frames_[size_t(slot)]) {
                emit opened(slot);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

bool PreviewFrames::makeSurfaces(const SurfaceCreation& create) {
    const auto inCanvas = [this](QWidget* frame) {
        return QRect(frame->mapTo(canvas_, QPoint(0, 0)), frame->size());
    };
    preview::measurePreviewFrames(surfaces_, inCanvas(frames_[0]), inCanvas(frames_[1]));
    return create(surfaces_, surfaces_.frameWidth, surfaces_.frameHeight);
}

void PreviewFrames::repaintNow() {
    if (canvas_)
        canvas_->repaint();
}

preview::SurfaceShape PreviewFrames::frameShape() const {
    return {preview::SurfaceLayout::Frame, QSize(surfaces_.frameWidth, surfaces_.frameHeight)};
}

QSize PreviewFrames::show(int slot, const puzzle::ImageSource& source) {
    channels_[slot == 0 ? 0 : 1]->show(source, frameShape());
    return preview::pictureSizeOf(source);
}

void PreviewFrames::clear(int slot) {
    channels_[slot == 0 ? 0 : 1]->cancel();
    place(slot, {});
}

void PreviewFrames::prefetchAround(const puzzle::Document& doc, int shown) {
    std::vector<preview::PreviewLoader::Request> requests;
    for (const int i : {shown + 1, shown - 1})
        if (i >= 0 && i <= doc.state.lastIndex)
            for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot})
                requests.emplace_back(puzzle::SlotSource(doc, i, slot), frameShape());
    loader_.prefetch(std::move(requests));
}

void PreviewFrames::describePictures(const puzzle::Document& doc, int index) {
    for (const int slot : {puzzle::kPuzzleSlot, puzzle::kFinishedSlot}) {
        const puzzle::ImageSource source = puzzle::SlotSource(doc, index, slot);
        QString text;
        if (source.kind != puzzle::ImageSource::Kind::Empty) {
            const QSize size = preview::pictureSizeOf(source);
            const QString name =
                QString::fromStdString(puzzle::DefaultExtractName(doc, index, slot));
            text = QString::fromUtf8(ui::kPictureInfo)
                       .arg(name.isEmpty() ? QFileInfo(displayPath(source.file)).fileName() : name)
                       .arg(size.width())
                       .arg(size.height())
                       .arg(QLocale(QLocale::Japanese).formattedDataSize(source.size));
            if (const QString note = made_ ? made_->noteFor(source.file) : QString();
                !note.isEmpty())
                text += QLatin1Char('\n') + note;
        }
        if (QWidget* frame = frames_[size_t(slot)]) {
            frame->setToolTip(text);
            frame->setAccessibleDescription(text);
        }
    }
}

int PreviewFrames::slotAt(QWidget* window, const QPoint& at) const {
    for (const int slot : {0, 1}) {
        const QWidget* frame = frames_[size_t(slot)];
        if (frame && frame->rect().contains(frame->mapFrom(window, at)))
            return slot;
    }
    return -1;
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
