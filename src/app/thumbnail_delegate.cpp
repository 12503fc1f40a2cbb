#include "app/thumbnail_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

namespace pdt::app {

namespace {

const QColor kPlaceholder(225, 225, 225);

} // namespace

ThumbnailDelegate::ThumbnailDelegate(preview::PreviewLoader& loader, SourceOfRow sourceOfRow,
                                     QAbstractItemView* view)
    : QStyledItemDelegate(view), loader_(loader), sourceOfRow_(std::move(sourceOfRow)),
      view_(view) {
    connect(&loader_, &preview::PreviewLoader::surfaceCached, this, [this] {
        if (shown_)
            view_->viewport()->update();
    });
}

void ThumbnailDelegate::setThumbnailsShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    emit sizeHintChanged(QModelIndex()); // lays the view out again
    view_->viewport()->update();
}

preview::SurfaceShape ThumbnailDelegate::shapeFor(const QWidget* widget) const {
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
    return {preview::SurfaceLayout::Fitted, (QSizeF(kThumbnailBox) * ratio).toSize()};
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    if (shown_) {
        opt.features |= QStyleOptionViewItem::HasDecoration;
        opt.decorationSize = kThumbnailBox;
    }
    return QStyledItemDelegate::sizeHint(opt, index);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (!shown_) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The style lays the text out beside an empty decoration of the box's size; the
    // thumbnail is drawn into that room afterwards.
    opt.features |= QStyleOptionViewItem::HasDecoration;
    opt.decorationSize = kThumbnailBox;
    opt.decorationAlignment = Qt::AlignCenter;
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QRect box = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, widget);

    const puzzle::ImageSource source = sourceOfRow_(index.row());
    const preview::SurfaceShape shape = shapeFor(widget);
    const std::optional<preview::PictureIdentity> picture = preview::identifyPicture(source);
    if (!picture)
        return;
    const std::optional<preview::PictureSurface> surface = loader_.cache().find({*picture, shape});
    if (!surface) {
        loader_.fetch(source, shape);
        painter->fillRect(QRect(box.topLeft(), kThumbnailBox), kPlaceholder);
        return;
    }
    if (!surface->hasPicture())
        return;
    const QSize drawn = preview::fittedSize(surface->storedSize, kThumbnailBox);
    const QRect at(box.x() + (box.width() - drawn.width()) / 2,
                   box.y() + (box.height() - drawn.height()) / 2, drawn.width(), drawn.height());
    painter->drawImage(at, surface->image);
}

} // namespace pdt::app
