#include "app/pattern_list_model.h"

#include "app/ui_texts.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QMimeData>

namespace pdt::app {

namespace {

// Rows dragged from a pattern list, with the list they came from: entries of another
// editor's list are never moved in this one.
const QString kRowsFormat = QStringLiteral("application/x-puzzle-data-tool-patterns");

const QColor kPlaceholder(225, 225, 225);

} // namespace

PatternListModel::PatternListModel(const session::EditSession& session,
                                   preview::PreviewLoader& loader, QObject* parent)
    : QAbstractListModel(parent), session_(session), loader_(loader),
      rows_(session.document().patternCount()) {
    connect(&loader_, &preview::PreviewLoader::surfaceCached, this, [this] {
        if (thumbnailsShown_)
            changedRows(0, rows_ - 1, {Qt::DecorationRole});
    });
}

void PatternListModel::rebuild() {
    beginResetModel();
    rows_ = session_.document().patternCount();
    shownRow_ = -1;
    endResetModel();
}

void PatternListModel::append() {
    beginInsertRows({}, rows_, rows_);
    ++rows_;
    endInsertRows();
}

void PatternListModel::refresh() {
    changedRows(0, rows_ - 1, {});
}

void PatternListModel::changedRows(int first, int last, const QList<int>& roles) {
    if (first <= last)
        emit dataChanged(index(first), index(last), roles);
}

void PatternListModel::setShownRow(int row) {
    if (row == shownRow_)
        return;
    const int old = std::exchange(shownRow_, row >= 0 && row < rows_ ? row : -1);
    const QList<int> roles = {Qt::FontRole, Qt::AccessibleDescriptionRole};
    if (old >= 0 && old < rows_)
        changedRows(old, old, roles);
    if (shownRow_ >= 0)
        changedRows(shownRow_, shownRow_, roles);
}

void PatternListModel::setThumbnailsShown(bool shown) {
    if (shown == thumbnailsShown_)
        return;
    thumbnailsShown_ = shown;
    changedRows(0, rows_ - 1, {Qt::DecorationRole});
}

void PatternListModel::setThumbnailShape(const preview::SurfaceShape& shape, qreal pixelRatio) {
    thumbnailShape_ = shape;
    pixelRatio_ = pixelRatio;
}

int PatternListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant PatternListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row >= rows_ || row >= session_.document().patternCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::asprintf(ui::kPatternEntryFormat, row + 1);
    case Qt::FontRole:
        if (row == shownRow_) {
            QFont bold = entryFont_;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::AccessibleDescriptionRole:
        // The caret may wander elsewhere: the entry whose details are shown is named.
        return row == shownRow_ ? QVariant(QString::fromUtf8(ui::kShownEntry)) : QVariant();
    case Qt::DecorationRole:
        return thumbnailsShown_ ? thumbnail(row) : QVariant();
    default:
        return {};
    }
}

// The thumbnail at hand, or a placeholder while it is decoded; nothing for no picture.
QVariant PatternListModel::thumbnail(int row) const {
    const puzzle::ImageSource source =
        puzzle::SlotSource(session_.document(), row, puzzle::kPuzzleSlot);
    const std::optional<preview::PictureSurface> surface =
        loader_.cachedOrFetched(source, thumbnailShape_);
    if (!surface) {
        QImage placeholder(thumbnailShape_.size, QImage::Format_RGB32);
        placeholder.fill(kPlaceholder);
        placeholder.setDevicePixelRatio(pixelRatio_);
        return placeholder;
    }
    if (!surface->hasPicture())
        return {};
    QImage image = surface->image;
    image.setDevicePixelRatio(pixelRatio_);
    return image;
}

Qt::ItemFlags PatternListModel::flags(const QModelIndex& index) const {
    // Drops land between entries, never on one.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

Qt::DropActions PatternListModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

QStringList PatternListModel::mimeTypes() const {
    return {kRowsFormat};
}

QMimeData* PatternListModel::mimeData(const QModelIndexList& indexes) const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << QCoreApplication::applicationPid() << quint64(quintptr(this));
    std::vector<int> rows;
    for (const QModelIndex& i : indexes)
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    out << quint32(rows.size());
    for (const int row : rows)
        out << qint32(row);
    auto* data = new QMimeData;
    data->setData(kRowsFormat, bytes);
    return data;
}

// The rows a drag of this list carries, increasing; nothing for anything else.
std::vector<int> PatternListModel::draggedRows(const QMimeData* data) const {
    if (!data || !data->hasFormat(kRowsFormat))
        return {};
    QDataStream in(data->data(kRowsFormat));
    qint64 pid = 0;
    quint64 owner = 0;
    quint32 count = 0;
    in >> pid >> owner >> count;
    if (pid != QCoreApplication::applicationPid() || owner != quint64(quintptr(this)) ||
        count > quint32(rows_))
        return {};
    std::vector<int> rows;
    for (quint32 k = 0; k < count; ++k) {
        qint32 row = -1;
        in >> row;
        if (in.status() != QDataStream::Ok || row < 0 || row >= rows_ ||
            (!rows.empty() && row <= rows.back()))
            return {};
        rows.push_back(row);
    }
    return rows;
}

bool PatternListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                       const QModelIndex&) const {
    return !draggedRows(data).empty();
}

bool PatternListModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                    const QModelIndex& parent) {
    const std::vector<int> rows = draggedRows(data);
    if (rows.empty())
        return false;
    const int destination = row >= 0 ? row : parent.isValid() ? parent.row() : rows_;
    // Handled once the drag is over, so that nothing the move shows runs inside it.
    QMetaObject::invokeMethod(
        this, [this, rows, destination] { emit moveRequested(rows, destination); },
        Qt::QueuedConnection);
    return true;
}

} // namespace pdt::app
