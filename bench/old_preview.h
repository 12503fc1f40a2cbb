#pragma once
// How previews were made before the loader: the picture decoded on the GUI thread straight
// into its frame's surface. Kept here only as the benchmarks' "old way".

#include "preview/preview_surfaces.h"

#include <cstdint>
#include <string>

namespace pdt::bench {

struct RenderResult {
    int returned = 0;     // 0 when the slot has no picture (size 0), else 1
    int decodedWidth = 0; // the picture's stored pixel size; 0 x 0 for no picture
    int decodedHeight = 0;
};

// Fills the slot's surface with the picture: white, then the picture scaled and centred.
// Size 0 leaves the surface as it is. A non-zero offset reads the range of currentFilePath;
// offset 0 the file at path.
RenderResult renderPreview(preview::PreviewSurfaces& surfaces, const std::string& path,
                           const std::string& currentFilePath, std::int64_t offset,
                           std::int64_t size, int slot);
RenderResult renderPreview(preview::PreviewSurfaces& surfaces, const puzzle::ImageSource& source,
                           int slot);

} // namespace pdt::bench
