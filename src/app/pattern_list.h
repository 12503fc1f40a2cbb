#pragma once
// The pattern list on screen: a list view over the pattern list model, with extended
// selection. Changes the program makes to the selection raise no notification, as those of
// the system's list boxes do not; the user's do. A click below the last entry leaves the
// selection as it is. Entries are dragged to reorder their patterns (the model asks).

#include <QObject>

#include <vector>

class QListView;
class QPoint;
class QWidget;

namespace pdt::app {

class PatternListModel;

class PatternList : public QObject {
    Q_OBJECT
  public:
    PatternList(QListView* view, PatternListModel* model, QObject* parent = nullptr);

    QListView* view() const { return view_; }
    std::vector<int> selectedRows() const; // increasing
    // The entry at the caret; 0 when there is none among the first `count`.
    int caretRow(int count) const;
    // Selecting an entry also moves the caret to it; deselecting leaves the caret alone.
    void select(int row, bool selected);
    // Selects exactly the given rows, the caret on `caret`.
    void selectOnly(const std::vector<int>& rows, int caret);
    // The model's entries again: nothing selected, as after emptying and refilling the list.
    void rebuild();
    // One entry more at the end.
    void append();
    // Whether a point of `window`'s coordinates lies on the list.
    bool contains(QWidget* window, const QPoint& at) const;

  signals:
    void selectionChangedByUser();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QListView* view_;
    PatternListModel* model_;
    int quiet_ = 0; // inside a change of the program's own
};

} // namespace pdt::app
