#pragma once
// The fields of the main window the user types into, ticks or chooses from: the two
// comments and the rotation box of the pattern shown, the piece counts its puzzle picture
// offers, the password and the vendor box. What the program puts into them raises nothing;
// what the user does is reported by the signals.

#include "app/editor_controls.h"
#include "pieces/piece_grids.h"
#include "puzzle/document.h"
#include "session/edit_session.h"

#include <QObject>
#include <QSize>

#include <cstdint>
#include <optional>
#include <string>

namespace pdt::app {

class Cp932InputGuard;

class EditorFields : public QObject {
    Q_OBJECT
  public:
    EditorFields(const EditorControls& controls, QObject* parent);

    // Everything as a new document shows it.
    void clear(const puzzle::Document& doc);
    void showPattern(const puzzle::PatternRecord& r);
    // The document's password and vendor flag, as after an open or an undo.
    void showDocumentValues(const puzzle::Document& doc);

    // Offers the piece counts of a puzzle picture of this stored size, the stored count
    // preselected; nothing with no picture (0 x 0). Refused: the offer stays empty.
    pieces::PieceChoices::Outcome offerPieceCounts(QSize picture, std::int16_t storedCount);
    void clearPieceCounts();
    // The count chosen on screen, else the stored one.
    int shownPieceCount(std::int16_t storedCount) const;

    // What a commit stores into the pattern shown.
    session::ShownDetails screen() const;
    // The password to save: the stored bytes while the edit still shows them untouched,
    // else the code page 932 form of what the user typed (nothing when it has none).
    std::optional<std::string> passwordForSave(const std::string& stored) const;

  signals:
    // box 0: the comment after the puzzle, 1: after the finished picture. Nothing when the
    // text has no stored form.
    void commentEdited(int box, const std::optional<std::string>& stored);
    void passwordEdited(const std::optional<std::string>& cp932);
    void rotationClicked(std::uint8_t rotation);
    void vendorClicked(std::uint8_t flag);
    void pieceCountChosen(std::int16_t count);
    // Focus moved into or out of an edit: an edit notification of its own.
    void touched();
    // Focus left an edit: its burst of typing is over.
    void left();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    EditorControls c_;
    Cp932InputGuard* clearGuard_;
    Cp932InputGuard* finishGuard_;
    Cp932InputGuard* passwordGuard_;
    // The grids behind the offered counts. One table for the whole run: a commit with
    // nothing offered reads whatever the last enumeration left.
    pieces::PieceGridTable grids_{};
};

} // namespace pdt::app
