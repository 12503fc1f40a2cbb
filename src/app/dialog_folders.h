#pragma once
// Where each file dialog starts: the open dialogs propose the previous choice again; the
// first time, and the dialogs that save, start in the folder last used for their kind of
// file (kept across runs in the settings), else in the folder of the document's file.

#include "app/editor_settings.h"
#include "puzzle/document.h"

#include <QString>

namespace pdt::app {

class DialogFolders {
  public:
    // The open dialogs whose previous choice is proposed again.
    enum class Choice { PuzzleData, Picture };

    explicit DialogFolders(EditorSettings& settings) : settings_(settings) {}

    // The folder a dialog of that kind starts in; empty for the dialog's own default.
    QString startFolder(EditorSettings::Folder kind, const puzzle::Document& doc) const;
    // A bare name placed in startFolder (when there is one).
    QString inStartFolder(const QString& name, EditorSettings::Folder kind,
                          const puzzle::Document& doc) const;
    // What an open dialog proposes: the previous choice again; the first time, the folder
    // last used for its kind.
    QString proposedOpen(Choice choice, const puzzle::Document& doc) const;
    // A file chosen in a dialog of that kind: its folder is the next start.
    void remember(EditorSettings::Folder kind, const QString& chosenFile);
    void rememberChoice(Choice choice, const QString& chosenFile);

  private:
    EditorSettings& settings_;
    QString lastOpenChoice_;
    QString lastPictureChoice_; // shared by both slots' add dialogs
};

} // namespace pdt::app
