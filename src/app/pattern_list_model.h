#pragma once
// The entries of the pattern list over the editing session: "%3d ﾊﾟﾀｰﾝ" for each pattern,
// the entry of the pattern shown in bold and described as such, and, while thumbnails are
// shown, the pattern's puzzle picture as its decoration (decoded off the GUI thread, the
// entries updated when it lands). Entries dragged within the list ask for their patterns
// to be moved; the model never moves or removes rows by itself, since the patterns change
// only through the session.

#include "preview/preview_loader.h"
#include "session/edit_session.h"

#include <QAbstractListModel>
#include <QFont>

#include <vector>

namespace pdt::app {

class PatternListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    PatternListModel(const session::EditSession& session, preview::PreviewLoader& loader,
                     QObject* parent = nullptr);

    // The entries again from the document, nothing selected, nothing marked.
    void rebuild();
    // One entry more at the end.
    void append();
    // The contents of every entry may have changed (patterns moved, pictures changed).
    void refresh();
    void setShownRow(int row);
    int shownRow() const { return shownRow_; }
    void setEntryFont(const QFont& font) { entryFont_ = font; }

    void setThumbnailsShown(bool shown);
    bool thumbnailsShown() const { return thumbnailsShown_; }
    // The size thumbnails are decoded at, in device pixels, and the screen's pixel ratio.
    void setThumbnailShape(const preview::SurfaceShape& shape, qreal pixelRatio);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

  signals:
    // Entries of this list were dropped before entry `destination` (rowCount: the end).
    void moveRequested(const std::vector<int>& rows, int destination);

  private:
    std::vector<int> draggedRows(const QMimeData* data) const;
    QVariant thumbnail(int row) const;
    void changedRows(int first, int last, const QList<int>& roles);

    const session::EditSession& session_;
    preview::PreviewLoader& loader_;
    int rows_ = 0;
    int shownRow_ = -1;
    QFont entryFont_;
    bool thumbnailsShown_ = false;
    preview::SurfaceShape thumbnailShape_;
    qreal pixelRatio_ = 1.0;
};

} // namespace pdt::app
