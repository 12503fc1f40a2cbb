#pragma once
// What the editor would make of a picture: whether it decodes, its pixel size, and the
// piece counts it offers for a puzzle picture.

#include "pieces/piece_grids.h"
#include "puzzle/byte_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pdt::cli {

struct PictureCheck {
    bool decodes = false; // the whole picture decodes, not only its header
    int width = 0;        // the stored pixel size
    int height = 0;
    // The decoder's first complaint, for a picture it decoded all the same (a JPEG cut
    // short decodes with its missing part grey); empty for a clean decode.
    std::string complaint;
};

// Decodes the picture through the preview's decoder, at a reduced size where the format
// allows it, and throws the pixels away. What the decoder says meanwhile is collected,
// not printed.
PictureCheck CheckPictureFile(const std::string& path);
PictureCheck CheckPictureRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size);

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

// "6, 12, 15" or, for a long list, "30 counts from 6 to 768".
std::string DescribeCounts(const std::vector<int>& counts);

} // namespace pdt::cli
