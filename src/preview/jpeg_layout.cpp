#include "preview/jpeg_layout.h"

#include <algorithm>
#include <cstring>

namespace pdt::preview {

namespace {

// Segments and stray bytes before a JPEG's first scan that are walked at most; real files
// have a dozen segments.
constexpr int kMaxSteps = 512;

int be16(const std::uint8_t* p) {
    return p[0] << 8 | p[1];
}

bool isFrame(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

void readFrame(JpegLayout& layout, int marker, const std::vector<std::uint8_t>& body) {
    layout.frame = marker;
    layout.precision = body[0];
    layout.height = be16(&body[1]);
    layout.width = be16(&body[3]);
    layout.components.clear();
    for (size_t i = 0; i < body[5] && 6 + 3 * i + 2 < body.size(); ++i) {
        const std::uint8_t sampling = body[6 + 3 * i + 1];
        layout.components.push_back({std::max(1, sampling >> 4), std::max(1, sampling & 15)});
    }
}

bool isExif(const JpegPeek& peek, std::int64_t at, int length) {
    std::uint8_t id[6];
    return length >= 6 && peek(at, id) && std::memcmp(id, "Exif\0\0", 6) == 0;
}

} // namespace

JpegLayout readJpegLayout(const JpegPeek& peek) {
    JpegLayout layout;
    std::int64_t at = 2; // after the start-of-image marker
    for (int step = 0; step < kMaxSteps && layout.scanComponents == 0; ++step) {
        std::uint8_t m[4];
        if (!peek(at, std::span(m, 2)))
            break;
        if (m[0] != 0xFF || m[1] == 0xFF) { // a stray byte, or a fill byte before a marker
            ++at;
            continue;
        }
        const int marker = m[1];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (!peek(at + 2, std::span(m + 2, 2)) || be16(m + 2) < 2)
            break;
        const int length = be16(m + 2);
        std::vector<std::uint8_t> body;
        if (isFrame(marker) || marker == 0xDA) {
            body.resize(size_t(length - 2));
            if (!peek(at + 4, body))
                break;
        }
        if (isFrame(marker) && body.size() >= 6) {
            readFrame(layout, marker, body);
        } else if (marker == 0xDA && !body.empty()) {
            layout.scanComponents = body[0];
        } else if (marker == 0xE1 && layout.exifAt < 0 && isExif(peek, at + 4, length - 2)) {
            layout.exifAt = at + 4;
            layout.exifLength = length - 2;
        }
        at += 2 + length;
    }
    return layout;
}

} // namespace pdt::preview
