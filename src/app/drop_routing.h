#pragma once
// What a drop of files does, from where it landed and what the files are. A pure rule, so
// that every combination can be tested without a window.
//
// Dropped on the window (or anywhere else that takes no files), exactly one file is opened
// as a puzzle data file; more or fewer are refused. Dropped on a preview frame, one picture
// file is attached to that frame's slot. Dropped on the pattern list, pictures become new
// patterns. A puzzle data file among them, or one file that is no picture, is the window's.

#include <vector>

namespace pdt::app {

enum class DropPlace { Window, Frame, List };

struct DroppedFile {
    bool puzzleData = false; // starts like a puzzle data file
    bool picture = false;    // a picture the decoder knows, by its header
};

enum class DropAction {
    RefuseCount, // "only one file can be dropped"
    Open,        // the one file, as a puzzle data file
    Attach,      // the one picture, to the frame's slot
    AddPatterns, // the pictures, as new patterns
};

DropAction RouteDrop(DropPlace place, const std::vector<DroppedFile>& files);

} // namespace pdt::app
