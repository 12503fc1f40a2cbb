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
};

// `arguments` without the program name.
StartOptions ParseStartArguments(QStringList arguments);

// "--version" as the only argument asks for kVersionText instead of the window; it is
// answered before Qt starts, so that it needs no display.
bool AsksForVersion(int argc, const char* const* argv);

// "puzzle-data-tool" and the project's version, on one line.
extern const char kVersionText[];

} // namespace pdt::app
