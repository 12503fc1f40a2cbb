#include "app/pattern_list.h"

#include "app/pattern_list_model.h"

#include <QListView>
#include <QMouseEvent>

#include <algorithm>

namespace pdt::app {

namespace {

// Counts a change of the program's own for as long as it lives.
class Quiet {
  public:
    explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
    ~Quiet() { --depth_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

  private:
    int& depth_;
};

} // namespace

PatternList::PatternList(QListView* view, PatternListModel* model, QObject* parent)
    : QObject(parent), view_(view), model_(model) {
    view_->setModel(model_);
    view_->setDragDropMode(QAbstractItemView::DragDrop);
    view_->setDefaultDropAction(Qt::MoveAction);
    view_->setDragDropOverwriteMode(false);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (quiet_ == 0)
            emit selectionChangedByUser();
    });
    view_->viewport()->installEventFilter(this);
}

bool PatternList::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: while the view is destroyed its viewport still gets events.
    if ((event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick) &&
        watched == view_->viewport()) {
        // A click below the last entry leaves the selection as it is, as in the system's
        // list boxes.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!view_->indexAt(mouse->position().toPoint()).isValid())
            return true;
    }
    return QObject::eventFilter(watched, event);
}

std::vector<int> PatternList::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int PatternList::caretRow(int count) const {
    const int row = view_->currentIndex().row();
    return row < 0 || row >= count ? 0 : row;
}

void PatternList::select(int row, bool selected) {
    const Quiet quiet(quiet_);
    const QModelIndex index = model_->index(row);
    if (!index.isValid())
        return;
    view_->selectionModel()->select(index, selected ? QItemSelectionModel::Select
                                                    : QItemSelectionModel::Deselect);
    if (selected)
        view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void PatternList::selectOnly(const std::vector<int>& rows, int caret) {
    const Quiet quiet(quiet_);
    view_->selectionModel()->clearSelection();
    for (const int row : rows)
        select(row, true);
    const QModelIndex index = model_->index(caret);
    if (index.isValid())
        view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void PatternList::rebuild() {
    const Quiet quiet(quiet_);
    model_->rebuild();
}

void PatternList::append() {
    const Quiet quiet(quiet_);
    model_->append();
}

bool PatternList::contains(QWidget* window, const QPoint& at) const {
    return view_->rect().contains(view_->mapFrom(window, at));
}

} // namespace pdt::app
