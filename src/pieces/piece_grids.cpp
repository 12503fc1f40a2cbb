#include "pieces/piece_grids.h"

#include <cmath>
#include <limits>

namespace pdt::pieces {

namespace {

constexpr double kMaxWorkingWidth = 1580.0;
constexpr double kMaxWorkingHeight = 1180.0;
constexpr double kMinCellLength = 20.0;
constexpr double kMinSquareness = 0.8;
constexpr int kMaxDivisor = 100;

// Truncates toward zero; only an enlarged side can leave the 32-bit range, and it saturates.
std::int32_t truncated(double x) {
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (x >= kMax)
        return std::numeric_limits<std::int32_t>::max();
    return std::int32_t(std::trunc(x));
}

} // namespace

void NormalisePictureSize(std::int32_t& width, std::int32_t& height) {
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;

    if (width < kMinPictureSide || height < kMinPictureSide) {
        // A zero side gives no scale to enlarge by; the result keeps a zero side, so no grid.
        if (width < height) {
            height = width == 0 ? 0 : truncated(height * (double(kMinPictureSide) / width));
            width = kMinPictureSide;
        } else if (width == height) {
            width = kMinPictureSide;
            height = kMinPictureSide;
        } else {
            width = height == 0 ? 0 : truncated(width * (double(kMinPictureSide) / height));
            height = kMinPictureSide;
        }
        return;
    }

    // The bounding side goes through f as well, so it can land one below its bound
    // (2120 x 1000 becomes 1579 x 745).
    if (width > kMaxWorkingWidth) {
        const double f = kMaxWorkingWidth / width;
        height = truncated(height * f);
        width = truncated(width * f);
    }
    if (height > kMaxWorkingHeight) {
        const double f = kMaxWorkingHeight / height;
        width = truncated(width * f);
        height = truncated(height * f);
    }
}

int EnumeratePieceGrids(PieceGridTable& table, std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0)
        return 0;
    table.fill(PieceGrid{});

    const bool portrait = width < height;
    const std::int32_t longSide = portrait ? height : width;
    const std::int32_t shortSide = portrait ? width : height;

    // d pieces along the long side, each cell(d) long; n = whole cells of that length across
    // the short side. n never falls as d grows and d rises, so the admitted grids come out in
    // strictly ascending piece count without sorting.
    int count = 0;
    for (int d = 2; d <= kMaxDivisor; ++d) {
        const double cell = double(longSide) / d;
        if (cell < kMinCellLength)
            break;
        const double across = double(shortSide) / cell;
        if (across < 1.0)
            continue;
        if (d * across > double(kMaxPieceCount))
            break;
        const std::int32_t n = std::int32_t(std::trunc(across));
        const std::int32_t side = shortSide / n;
        const double squareness = side < cell ? side / cell : cell / side;
        if (squareness < kMinSquareness)
            continue;
        PieceGrid& g = table[count++];
        g.columns = std::int16_t(portrait ? n : d);
        g.rows = std::int16_t(portrait ? d : n);
    }
    return count;
}

PieceChoices FillPieceChoices(PieceGridTable& table, int decodedWidth, int decodedHeight) {
    if (decodedWidth < 0)
        decodedWidth = 0;
    if (decodedHeight < 0)
        decodedHeight = 0;

    PieceChoices result;
    if (decodedWidth == 0 && decodedHeight == 0)
        return result;

    result.working = {decodedWidth, decodedHeight};
    NormalisePictureSize(result.working.width, result.working.height);
    result.count = EnumeratePieceGrids(table, result.working.width, result.working.height);

    // Judged on the decoded size: enlarging a small picture must not let it through.
    const bool accepted =
        result.count != 0 && decodedWidth >= kMinPictureSide && decodedHeight >= kMinPictureSide;
    result.outcome = accepted ? PieceChoices::Outcome::Accepted : PieceChoices::Outcome::Refused;
    return result;
}

int PreselectIndex(const PieceGridTable& table, int count, std::int16_t storedPieceCount) {
    const std::int32_t stored = std::uint16_t(storedPieceCount);
    if (count > kPieceGridTableSize)
        count = kPieceGridTableSize;
    for (int i = 0; i < count; ++i) {
        if (table[i].pieceCount() == stored)
            return i;
    }
    return 0;
}

std::int16_t CommittedPieceCount(const PieceGridTable& table, int selectedIndex) {
    if (selectedIndex < 0 || selectedIndex >= kPieceGridTableSize)
        selectedIndex = 0;
    return std::int16_t(table[selectedIndex].pieceCount());
}

} // namespace pdt::pieces
