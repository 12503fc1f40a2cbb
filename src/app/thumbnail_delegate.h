#pragma once
// Draws each pattern list entry with a small thumbnail of its puzzle picture beside its
// unchanged text. Thumbnails come from the loader's cache; one that is missing is decoded
// off the GUI thread and the list is repainted when it lands.

#include "preview/preview_loader.h"
#include "puzzle/document.h"

#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;

namespace pdt::app {

class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // Which picture a row shows; asked at every paint, so it follows moves and deletions.
    using SourceOfRow = std::function<puzzle::ImageSource(int row)>;

    // The box a thumbnail is fitted into, in device-independent pixels.
    static constexpr QSize kThumbnailBox{40, 30};

    ThumbnailDelegate(preview::PreviewLoader& loader, SourceOfRow sourceOfRow,
                      QAbstractItemView* view);

    // Off: entries are drawn, and take the room, exactly as without this delegate.
    void setThumbnailsShown(bool shown);
    bool thumbnailsShown() const { return shown_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    preview::SurfaceShape shapeFor(const QWidget* widget) const;

    preview::PreviewLoader& loader_;
    SourceOfRow sourceOfRow_;
    QAbstractItemView* view_;
    bool shown_ = true;
};

} // namespace pdt::app
