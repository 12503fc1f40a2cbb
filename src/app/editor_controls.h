#pragma once
// The controls of the main window that the editor works with, found once by their names
// after the dialog is built from its template. The one place that looks controls up.

#include <array>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QWidget;

namespace pdt::app {

struct EditorControls {
    QListView* patternList = nullptr;
    QPlainTextEdit* clearComment = nullptr;
    QPlainTextEdit* finishComment = nullptr;
    QLineEdit* password = nullptr;
    QCheckBox* rotation = nullptr;
    QCheckBox* vendorInfo = nullptr; // the PZ_BIND2 variant only
    QComboBox* minPieces = nullptr;
    std::array<QWidget*, 2> frames{}; // the preview frames, by slot

    QAbstractButton* addPattern = nullptr;
    QAbstractButton* deletePattern = nullptr;
    QAbstractButton* moveUp = nullptr;
    QAbstractButton* moveDown = nullptr;
    // By slot: 0 the puzzle picture, 1 the finished picture.
    std::array<QAbstractButton*, 2> addImage{};
    std::array<QAbstractButton*, 2> extractImage{};
    std::array<QAbstractButton*, 2> deleteImage{};

    // The controls of a main dialog built into `client`.
    static EditorControls find(QWidget* client);
};

} // namespace pdt::app
