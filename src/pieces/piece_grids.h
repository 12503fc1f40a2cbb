#pragma once
// Piece-count choices: the grids of pieces a puzzle picture admits, from its pixel size.
//
// All real-valued steps are IEEE doubles, every real-to-integer conversion truncates toward
// zero, and quotients and products are formed in a fixed order: the boundary cases (a product
// of exactly 2500, a squareness of exactly 0.8, a cell of exactly 20 pixels) depend on it.

#include <array>
#include <cstdint>
#include <string_view>

namespace pdt::pieces {

// One grid: `columns` pieces across the picture's width, `rows` down its height.
struct PieceGrid {
    std::int16_t columns = 0;
    std::int16_t rows = 0;

    std::int32_t pieceCount() const { return std::int32_t(columns) * std::int32_t(rows); }
    bool operator==(const PieceGrid&) const = default;
};

// The grids of the last enumeration: entries 0 to count - 1 in ascending piece count, every
// later entry {0, 0}. At most 99 entries are used. The owner keeps one table for the whole
// session: only EnumeratePieceGrids writes it, and the committed piece count of an empty
// choice list is read from whatever it last left there.
inline constexpr int kPieceGridTableSize = 100;
using PieceGridTable = std::array<PieceGrid, kPieceGridTableSize>;

inline constexpr int kMinPictureSide = 200;
inline constexpr int kMaxPieceCount = 2500;

// Shown (caption kSmallPictureCaption, OK button, no icon) when a puzzle picture is refused.
inline constexpr std::string_view kSmallPictureText =
    "幅・高さが２００ドット以下ＣＧは、設定することが出来ません。";
inline constexpr std::string_view kSmallPictureCaption = "情報";

// The working size is 32-bit rather than 16-bit so that decoded sides above 32767, and a
// narrow picture's side stretched past 32767 (10 x 2000 becomes 200 x 40000), keep their true
// value: large pictures are fitted by the ordinary rule, and an over-long stretched side
// leaves no grid. A stretched side beyond the 32-bit range saturates at INT32_MAX. Such a
// picture is refused anyway, as its decoded short side is below 200.
struct WorkingSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const WorkingSize&) const = default;
};

// Makes the shorter side at least 200 (enlarging, the enlarged side set to exactly 200), or
// else fits the picture into 1580 x 1180. With one zero side the result keeps a zero side:
// 0 x h gives 200 x 0, w x 0 gives 0 x 200. Negative sides are taken as 0.
void NormalisePictureSize(std::int32_t& width, std::int32_t& height);

// Rewrites `table` with the admissible grids of a working size and returns their number
// (0 to 99). With a zero (or negative) side it returns 0 at once and leaves `table` as it was.
int EnumeratePieceGrids(PieceGridTable& table, std::int32_t width, std::int32_t height);

struct PieceChoices {
    enum class Outcome {
        NoPicture, // nothing decoded: empty the choice list, report nothing
        Accepted,  // offer the piece counts of table entries 0 to count - 1
        Refused,   // detach the puzzle picture, blank its preview, show kSmallPictureText
    };
    Outcome outcome = Outcome::NoPicture;
    int count = 0;
    WorkingSize working;
};

// Decides the choices for a decoded puzzle picture. The table is rewritten for a refused
// picture too (a later commit from an empty list reads it); with nothing decoded it is left
// alone. A picture is refused when it admits no grid or a decoded side is below 200.
// Negative decoded sides count as 0.
PieceChoices FillPieceChoices(PieceGridTable& table, int decodedWidth, int decodedHeight);

// The item to select among the first `count` entries: the one whose piece count equals the
// pattern's stored count (read as unsigned 16-bit), else 0.
int PreselectIndex(const PieceGridTable& table, int count, std::int16_t storedPieceCount);

// The piece count stored on commit: that of entry `selectedIndex`, or of entry 0 when nothing
// is selected (-1). An index outside the table is treated like -1.
std::int16_t CommittedPieceCount(const PieceGridTable& table, int selectedIndex);

} // namespace pdt::pieces
