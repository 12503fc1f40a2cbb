#include "app/editor_controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace pdt::app {

namespace {

template <class W> W* named(QWidget* client, const char* name) {
    return client->findChild<W*>(QString::fromLatin1(name));
}

} // namespace

EditorControls EditorControls::find(QWidget* client) {
    const auto button = [client](const char* name) { return named<QAbstractButton>(client, name); };
    const auto bySlot = [&button](const char* puzzle, const char* finished) {
        return std::array{button(puzzle), button(finished)};
    };
    EditorControls c;
    c.patternList = named<QListView>(client, "IDC_PATTERN_LIST");
    c.clearComment = named<QPlainTextEdit>(client, "IDC_CLEAR_COMMENT");
    c.finishComment = named<QPlainTextEdit>(client, "IDC_FINISH_COMMENT");
    c.password = named<QLineEdit>(client, "IDC_PASSWORD");
    c.rotation = named<QCheckBox>(client, "IDC_ROTATION");
    c.vendorInfo = named<QCheckBox>(client, "IDC_VENDOR_INFO");
    c.minPieces = named<QComboBox>(client, "IDC_MIN_PIECES");
    c.frames = {named<QWidget>(client, "IDC_PUZZLE_PREVIEW"),
                named<QWidget>(client, "IDC_FINISHED_PREVIEW")};
    c.addPattern = button("IDC_ADD_PATTERN");
    c.deletePattern = button("IDC_DELETE_PATTERN");
    c.moveUp = button("IDC_MOVE_UP");
    c.moveDown = button("IDC_MOVE_DOWN");
    c.addImage = bySlot("IDC_ADD_PUZZLE_IMAGE", "IDC_ADD_FINISHED_IMAGE");
    c.extractImage = bySlot("IDC_EXTRACT_PUZZLE_IMAGE", "IDC_EXTRACT_FINISHED_IMAGE");
    c.deleteImage = bySlot("IDC_DELETE_PUZZLE_IMAGE", "IDC_DELETE_FINISHED_IMAGE");
    return c;
}

} // namespace pdt::app
