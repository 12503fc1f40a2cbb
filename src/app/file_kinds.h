#pragma once
// The kinds of file the editor's dialogs and drops deal with, and the two forms of a path.

#include "app/prompts.h"

#include <QString>

#include <string>
#include <vector>

namespace pdt::app {

// The type lists of the puzzle data file dialogs and of the picture dialogs.
std::vector<FileFilter> puzzleDataFilters();
std::vector<FileFilter> pictureFilters();

// What the file reader takes for a puzzle data file: the magic "ADX" in its first bytes.
bool startsLikePuzzleDataFile(const QString& path);
// A picture in a format the player does not read, which the editor offers to convert.
bool isConvertiblePicture(const QString& path);

// A path as the engine takes it, and back.
std::string nativePath(const QString& path);
QString displayPath(const std::string& native);

} // namespace pdt::app
