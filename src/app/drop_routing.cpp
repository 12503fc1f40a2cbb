#include "app/drop_routing.h"

#include <algorithm>

namespace pdt::app {

DropAction RouteDrop(DropPlace place, const std::vector<DroppedFile>& files) {
    const bool one = files.size() == 1;
    const bool anyPuzzleData =
        std::any_of(files.begin(), files.end(), [](const DroppedFile& f) { return f.puzzleData; });
    switch (place) {
    case DropPlace::Frame:
        if (one && !files.front().puzzleData && files.front().picture)
            return DropAction::Attach;
        break;
    case DropPlace::List:
        if (!files.empty() && !anyPuzzleData && !(one && !files.front().picture))
            return DropAction::AddPatterns;
        break;
    case DropPlace::Window:
        break;
    }
    return one ? DropAction::Open : DropAction::RefuseCount;
}

} // namespace pdt::app
