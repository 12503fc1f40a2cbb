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
    c.addPattern = named<QAbstractButton>(client, "IDC_ADD_PATTERN");
    c.deletePattern = named<QAbstractButton>(client, "IDC_DELETE_PATTERN");
    c.moveUp = named<QAbstractButton>(client, "IDC_MOVE_UP");
    c.moveDown = named<QAbstractButton>(client, "IDC_MOVE_DOWN");
    c.addImage = {named<QAbstractButton>(client, "IDC_ADD_PUZZLE_IMAGE"),
                  named<QAbstractButton>(client, "IDC_ADD_FINISHED_IMAGE")};
    c.extractImage = {named<QAbstractButton>(client, "IDC_EXTRACT_PUZZLE_IMAGE"),
                      named<QAbstractButton>(client, "IDC_EXTRACT_FINISHED_IMAGE")};
    c.deleteImage = {named<QAbstractButton>(client, "IDC_DELETE_PUZZLE_IMAGE"),
                     named<QAbstractButton>(client, "IDC_DELETE_FINISHED_IMAGE")};
    return c;
}

} // namespace pdt::app
