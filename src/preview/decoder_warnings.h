#pragma once
// What the decoders report while they decode a picture, sorted by kind, and the one rule
// that decides whether a picture may be used: a warning that changes no pixel accepts it,
// a decode that made up pixels refuses it. The editor's check, adxtool pack and adxtool
// verify all judge by it.

#include <QString>

#include <string_view>
#include <vector>

namespace pdt::preview {

enum class DecoderWarning {
    // The pixels are what the picture holds.
    StrayBytesBetweenSegments,   // JPEG: bytes outside any segment, before the first scan
    UnknownJfifVersion,          // JPEG: a JFIF segment of a later major version
    UnknownAdobeTransform,       // JPEG: an Adobe segment with a transform code of no meaning
    OddSequentialScanParameters, // JPEG: spectral values a sequential scan ignores
    BadIccProfile,               // JPEG: a colour profile split or numbered wrongly
    MissingEndMarker,            // JPEG: one whole scan, then the data ends without its marker
    // The decoder filled in what the data does not hold.
    PrematureEnd,           // JPEG: the data ends inside the scans
    CorruptEntropyData,     // JPEG: codes that decode to nothing, or bytes a scan did not use
    LostRestartMarker,      // JPEG: a restart marker missing, the rows up to the next guessed
    BadProgression,         // JPEG: refinement scans that do not fit the earlier ones
    MissingRows,            // BMP, GIF: the data ends, or leaves pixels out, before the last row
    PaletteIndexOutOfRange, // BMP, GIF: a pixel names a colour past the end of the palette
    Unrecognised,           // a message of no kind above: its pixels cannot be vouched for
};

// True for the kinds whose pixels the decoder made up: such a picture is refused.
[[nodiscard]] bool madeUpPixels(DecoderWarning warning);

// The kinds in order, each once, and the first that made up pixels (if any).
struct [[nodiscard]] DecoderWarnings {
    std::vector<DecoderWarning> kinds;

    void add(DecoderWarning warning);
    bool madeUp() const;
    // The first kind that made up pixels; only meaningful when madeUp().
    DecoderWarning firstMadeUp() const;
};

// A short English description, for adxtool: "stray bytes between segments".
[[nodiscard]] std::string_view describeWarning(DecoderWarning warning);

// The kind of a message a Qt image reader logged. JPEG messages are libjpeg's texts; the
// bytes before a marker that ends entropy-coded data (EOI, RSTn) are data a scan did not use.
[[nodiscard]] DecoderWarning classifyReaderMessage(const QString& message);

} // namespace pdt::preview
