#pragma once
// The piece counts the editor offers for a puzzle picture, and why it refuses one.

#include "pieces/piece_grids.h"
#include "preview/picture_check.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pdt::cli {

struct PieceOffer {
    pieces::PieceChoices choices;
    pieces::PieceGridTable table{}; // as the enumeration left it, from an empty table
    std::vector<int> counts;        // offered piece counts, ascending; empty when refused

    bool accepted() const { return choices.outcome == pieces::PieceChoices::Outcome::Accepted; }
    bool offers(int pieceCount) const;
};

PieceOffer OfferFor(int width, int height);

// Why the editor refuses a puzzle picture of that size, for a message.
std::string RefusalReason(const PieceOffer& offer, int width, int height);

// Why the editor refuses a picture that failed its check, to follow the picture's name on
// one line: "is damaged: the data ends before the picture does". pack and verify both say it.
std::string PictureRefusalReason(const preview::PictureCheck& check);

// A stored JPEG's EXIF orientation: 1 ("normal") unless its tag says to turn or mirror it;
// size bytes of source from offset, which lie inside it.
int StoredOrientation(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size);

// "6, 12, 15" or, for a long list, "30 counts from 6 to 768".
std::string DescribeCounts(const std::vector<int>& counts);

} // namespace pdt::cli
