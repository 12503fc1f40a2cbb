#pragma once
// What the editor's arguments ask for at start-up. The first argument chooses the window
// variant; a first argument that is not the hidden word but names an existing file opens
// that file as a dropped file would (so that file associations work). Anything else is
// ignored. "--screenshot-to=FILE" (anywhere) renders the started window into FILE and
// quits; before that, each "--screenshot-picture=FILE" is attached through the add button of
// the puzzle picture, then of the finished picture, its dialog answered with FILE. Neither
// counts as an argument.

#include "app/command_line.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace pdt::app {

struct StartOptions {
    DialogVariant variant = DialogVariant::PZ_BIND;
    std::optional<QString> fileToOpen; // absolute path
    QString screenshotFile;            // empty: run normally
    QStringList screenshotPictures;    // for the puzzle slot, then the finished slot

    // A route for tests that run the program from outside: "--test-type=TEXT" types TEXT
    // into the comment after the puzzle once the window is up; "--test-answer=yes|no"
    // answers every question so, messages go to the standard error; "--test-save-to=FILE"
    // then saves the document as FILE and quits.
    QString testType;
    std::optional<bool> testAnswer;
    QString testSaveTo;
    bool scripted() const { return testAnswer.has_value() || !testSaveTo.isEmpty(); }
};

// `arguments` without the program name.
StartOptions ParseStartArguments(QStringList arguments);

// "--version" as the only argument asks for kVersionText instead of the window; it is
// answered before Qt starts, so that it needs no display.
bool AsksForVersion(int argc, const char* const* argv);

// "puzzle-data-tool" and the project's version, on one line.
extern const char kVersionText[];

} // namespace pdt::app
