#include "app/thumbnail_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QPainter>

namespace pdt::app {

ThumbnailDelegate::ThumbnailDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view), view_(view) {}

void ThumbnailDelegate::setThumbnailsShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    emit sizeHintChanged(QModelIndex()); // lays the view out again
    view_->viewport()->update();
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    if (!shown_)
        return QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.features |= QStyleOptionViewItem::HasDecoration;
    opt.decorationSize = kThumbnailBox;
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    return style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (!shown_) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.icon = QIcon(); // drawn below, centred in the box
    // The style lays the text out beside an empty decoration of the box's size; the
    // thumbnail is drawn into that room afterwards.
    opt.features |= QStyleOptionViewItem::HasDecoration;
    opt.decorationSize = kThumbnailBox;
    opt.decorationAlignment = Qt::AlignCenter;
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QRect box = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, widget);

    const QImage thumbnail = index.data(Qt::DecorationRole).value<QImage>();
    if (thumbnail.isNull())
        return;
    const QSize drawn = thumbnail.deviceIndependentSize().toSize().boundedTo(kThumbnailBox);
    const QRect at(box.x() + (box.width() - drawn.width()) / 2,
                   box.y() + (box.height() - drawn.height()) / 2, drawn.width(), drawn.height());
    painter->drawImage(at, thumbnail);
}

} // namespace pdt::app
