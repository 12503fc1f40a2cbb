#pragma once
// Draws each pattern list entry with its thumbnail (the model's decoration: the puzzle
// picture fitted into a small box, or a placeholder while it is decoded) beside its
// unchanged text. Every entry takes the room of the box, so the rows stay even.

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace pdt::app {

class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // The box a thumbnail is fitted into, in device-independent pixels.
    static constexpr QSize kThumbnailBox{40, 30};

    explicit ThumbnailDelegate(QAbstractItemView* view);

    // Off: entries are drawn, and take the room, exactly as without this delegate.
    void setThumbnailsShown(bool shown);
    bool thumbnailsShown() const { return shown_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    QAbstractItemView* view_;
    bool shown_ = false;
};

} // namespace pdt::app
