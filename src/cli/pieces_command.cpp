#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/picture_checks.h"
#include "cli/puzzle_reader.h"
#include "preview/picture_decoder.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace pdt::cli {

namespace {

// Larger sides would overflow the sum of both sides; no picture comes near them.
constexpr std::int64_t kMaxSide = 1'000'000'000;

struct PixelSize {
    int width = 0;
    int height = 0;
};

enum class SizeForm { NotASize, Size, OutOfRange };

// "640x480" (also "640X480").
SizeForm parseSize(std::string_view s, PixelSize& out) {
    const auto x = s.find_first_of("xX");
    if (x == std::string_view::npos || x == 0 || x + 1 == s.size())
        return SizeForm::NotASize;
    const auto number = [](std::string_view part, std::int64_t& value) {
        if (part.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        const auto r = std::from_chars(part.data(), part.data() + part.size(), value);
        if (r.ec == std::errc::result_out_of_range)
            value = kMaxSide + 1;
        return r.ptr == part.data() + part.size() || r.ec == std::errc::result_out_of_range;
    };
    std::int64_t w = 0, h = 0;
    if (!number(s.substr(0, x), w) || !number(s.substr(x + 1), h))
        return SizeForm::NotASize;
    if (w > kMaxSide || h > kMaxSide)
        return SizeForm::OutOfRange;
    out = {int(w), int(h)};
    return SizeForm::Size;
}

JsonValue offerJson(const PixelSize& size, const PieceOffer& offer) {
    JsonValue grids = JsonValue::array();
    for (int i = 0; i < offer.choices.count; ++i) {
        const auto& g = offer.table[size_t(i)];
        JsonValue o = JsonValue::object();
        o.add("columns", int(g.columns)).add("rows", int(g.rows)).add("pieces", g.pieceCount());
        grids.push(std::move(o.inlined()));
    }
    JsonValue root = JsonValue::object();
    root.add("width", size.width);
    root.add("height", size.height);
    root.add("workingWidth", offer.choices.working.width);
    root.add("workingHeight", offer.choices.working.height);
    root.add("accepted", offer.accepted());
    root.add("grids", std::move(grids));
    return root;
}

std::string offerTable(const PixelSize& size, const PieceOffer& offer) {
    std::string out =
        std::to_string(size.width) + " x " + std::to_string(size.height) + ": working size " +
        std::to_string(offer.choices.working.width) + " x " +
        std::to_string(offer.choices.working.height) + ", " +
        (offer.accepted() ? "accepted"
                          : "refused (" + RefusalReason(offer, size.width, size.height) + ")") +
        ", " + std::to_string(offer.choices.count) + " grid" +
        (offer.choices.count == 1 ? "" : "s") + "\n";
    char line[64];
    for (int i = 0; i < offer.choices.count; ++i) {
        const auto& g = offer.table[size_t(i)];
        std::snprintf(line, sizeof line, "%3d x %-3d %5d pieces\n", int(g.columns), int(g.rows),
                      int(g.pieceCount()));
        out += line;
    }
    return out;
}

} // namespace

int PiecesCommand(const Arguments& args, const Console& console) {
    PixelSize size;
    switch (parseSize(args.operand, size)) {
    case SizeForm::OutOfRange:
        console.error("'" + args.operand + "': a side may be at most 1000000000 pixels");
        std::fputs(kUsageText, console.err);
        return kExitUsage;
    case SizeForm::Size:
        break;
    case SizeForm::NotASize: {
        // A picture file: its size from its header, as the editor decodes it.
        const QSize stored = preview::pictureSizeOfFile(args.operand);
        if (stored.isEmpty()) {
            return Report(
                failed(args.operand + ": " +
                       UnreadableReason(args.operand).value_or("not a BMP, JPEG or GIF picture")),
                console);
        }
        size = {stored.width(), stored.height()};
        break;
    }
    }

    const PieceOffer offer = OfferFor(size.width, size.height);
    console.print(args.json ? offerJson(size, offer).text() : offerTable(size, offer));
    return kExitSuccess;
}

} // namespace pdt::cli
