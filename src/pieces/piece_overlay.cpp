#include "pieces/piece_overlay.h"

namespace pdt::pieces {

PieceOverlay OverlayPieceGrid(int pictureWidth, int pictureHeight, int pieceCount) {
    PieceOverlay overlay;
    PieceGridTable table{};
    const PieceChoices choices = FillPieceChoices(table, pictureWidth, pictureHeight);
    if (choices.outcome != PieceChoices::Outcome::Accepted)
        return overlay;
    overlay.working = choices.working;
    for (int i = 0; i < choices.count; ++i)
        if (table[size_t(i)].pieceCount() == pieceCount)
            overlay.grid = table[size_t(i)];
    if (!overlay.hasGrid())
        return overlay;

    // The same quotients, in the same order, as the enumeration that offered the grid.
    const WorkingSize w = overlay.working;
    const bool portrait = w.width < w.height;
    const std::int32_t longSide = portrait ? w.height : w.width;
    const std::int32_t shortSide = portrait ? w.width : w.height;
    const int d = portrait ? overlay.grid.rows : overlay.grid.columns;
    const int n = portrait ? overlay.grid.columns : overlay.grid.rows;
    const double cell = double(longSide) / d;
    const std::int32_t side = shortSide / n;

    const double toPictureX = double(pictureWidth) / w.width;
    const double toPictureY = double(pictureHeight) / w.height;
    const double longScale = portrait ? toPictureY : toPictureX;
    const double shortScale = portrait ? toPictureX : toPictureY;
    std::vector<double> longCuts;
    std::vector<double> shortCuts;
    for (int i = 0; i < d; ++i)
        longCuts.push_back(i * cell * longScale);
    longCuts.push_back(double(longSide) * longScale);
    for (int j = 0; j <= n; ++j)
        shortCuts.push_back(double(j) * side * shortScale);

    overlay.columnCuts = portrait ? shortCuts : longCuts;
    overlay.rowCuts = portrait ? longCuts : shortCuts;
    overlay.pieceWidth = portrait ? side * shortScale : cell * longScale;
    overlay.pieceHeight = portrait ? cell * longScale : side * shortScale;
    return overlay;
}

} // namespace pdt::pieces
