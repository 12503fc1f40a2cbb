#pragma once
// Where the cuts of a chosen grid fall on the puzzle picture, for drawing the grid over it.
//
// The grid is laid out on the working size, the way its choices were computed: along the
// long side d cells of long / d working pixels each, filling the side; across the short side
// n pieces of short / n whole working pixels each, from the top or left edge, so a strip of
// fewer than n working pixels may stay outside every piece. The cuts are then mapped back
// onto the picture, each side by its own factor picture / working.

#include "pieces/piece_grids.h"

#include <vector>

namespace pdt::pieces {

struct PieceOverlay {
    PieceGrid grid; // {0, 0}: the picture offers no grid of that piece count
    WorkingSize working;
    // Cut positions in picture pixels, from 0: columns + 1 across the width, rows + 1 down
    // the height. The last one falls short of the picture's edge by the uncut strip.
    std::vector<double> columnCuts;
    std::vector<double> rowCuts;
    double pieceWidth = 0.0; // one piece, in picture pixels
    double pieceHeight = 0.0;

    bool hasGrid() const { return grid.pieceCount() > 0; }
};

// The grid of `pieceCount` among those a pictureWidth x pictureHeight puzzle picture is
// offered; no grid for a picture that is refused or a count it is not offered.
PieceOverlay OverlayPieceGrid(int pictureWidth, int pictureHeight, int pieceCount);

} // namespace pdt::pieces
