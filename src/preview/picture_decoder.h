#pragma once
// Decoding pictures from their own files or from a byte range of a puzzle data file.
//
// Every failure is "no picture": size 0 x 0, no pixels, no message, and a problem that
// says why. The pixel size is the stored one (EXIF orientation is not applied: the player
// shows pictures as stored), and a GIF gives its first frame. The kinds are BMP, JPEG, GIF
// and icons.
//
// No decode takes more than kDecodeBudgetBytes: what a picture would need is worked out
// from its header, for the size asked for, before anything large is allocated, and a
// picture that needs more, or has more than kMaxDecodePixels, is no picture
// (PictureProblem::TooLarge). Decodes may run on
// several threads at once.

#include "preview/decoder_warnings.h"
#include "puzzle/byte_source.h"
#include "puzzle/document.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pdt::preview {

// What a decode needs at most: a 100-megapixel camera picture decodes whole within it,
// and a progressive JPEG (libjpeg keeps all of its coefficients, 3 to 8 bytes a pixel)
// of 16000 x 16000 does not, even for a preview.
inline constexpr std::uint64_t kDecodeBudgetBytes = std::uint64_t(512) << 20;
// Larger pictures are not decoded at any size either: even at 1/8 scale, libjpeg spends
// seconds on every pixel block of a header that claims 65000 x 65000.
inline constexpr std::uint64_t kMaxDecodePixels = 500'000'000;

// Why the bytes give no picture, or a damaged one.
enum class PictureProblem {
    None,
    NotAFile,    // a folder, FIFO, device or socket
    Unreadable,  // missing, not permitted, a failed read, or a range outside the file
    UnknownKind, // not a BMP, JPEG, GIF or icon
    Damaged,     // the header is sound, the data is not
    TooLarge,    // more than kMaxDecodePixels, or decoding needs more than kDecodeBudgetBytes
};

struct [[nodiscard]] DecodedPicture {
    int decodedWidth = 0; // the stored pixel size, also when the pixels are reduced
    int decodedHeight = 0;
    QImage pixels; // at the size the caller asked for; null for no picture
    PictureProblem problem = PictureProblem::None;
    std::string format = {}; // "bmp", "jpeg", "gif" or "ico" once the kind is known
    // Pixels the reader made up without saying so (BMP, GIF), seen before any scaling.
    std::optional<DecoderWarning> madeUp = std::nullopt;

    bool ok() const { return decodedWidth > 0 && decodedHeight > 0 && !pixels.isNull(); }
};

// Maps the stored pixel size to the size the caller wants the pixels at. Formats that
// can decode at reduced scale (JPEG, in the DCT) then never produce the full-size pixels.
// An empty function, or a result that is not a valid size, means the full size.
using WantedSize = std::function<QSize(QSize storedSize)>;

// How pixels are resampled to the wanted size.
enum class Sampling {
    Smooth,  // averages on the way down (BMP and GIF: 2 x 2 samples), bilinear on the way up
    Nearest, // drops or repeats whole rows and columns
};

// The whole file at its size now.
DecodedPicture decodePictureFile(const std::string& path, const WantedSize& wanted = {},
                                 Sampling sampling = Sampling::Smooth);

// size bytes of puzzleDataFile from offset. A range that does not lie wholly inside the
// file is no picture; it is checked before anything is read or allocated.
DecodedPicture decodePictureRange(const std::string& puzzleDataFile, std::int64_t offset,
                                  std::int64_t size, const WantedSize& wanted = {},
                                  Sampling sampling = Sampling::Smooth);

// The same on any byte source, so a source that fails mid-read can be tested.
DecodedPicture decodePictureRange(puzzle::ByteSource& source, std::int64_t offset,
                                  std::int64_t size, const WantedSize& wanted = {},
                                  Sampling sampling = Sampling::Smooth);

// The stored pixel size from the picture's header alone, without decoding any pixels;
// 0 x 0 when the bytes are no picture of a known kind. A picture whose header is sound
// but whose data is damaged, or that is too large to decode, still reports its size here.
QSize pictureSizeOfFile(const std::string& path);
QSize pictureSizeOfRange(const std::string& puzzleDataFile, std::int64_t offset, std::int64_t size);
QSize pictureSizeOfRange(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size);

// Raises Qt's own limit on what its readers allocate to the decode budget, once; every
// decode does it first, and so does anything else that reads pictures through Qt.
void applyDecodeBudget();

// Pixel decodes attempted since the program started, so tests can prove that painting
// never decodes.
std::uint64_t pictureDecodeCount();

} // namespace pdt::preview
