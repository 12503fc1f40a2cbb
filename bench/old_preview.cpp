#include "old_preview.h"

#include "preview/picture_decoder.h"

namespace pdt::bench {

RenderResult renderPreview(preview::PreviewSurfaces& surfaces, const puzzle::ImageSource& source,
                           int slot) {
    RenderResult result;
    if (source.size == 0)
        return result;
    result.returned = 1;
    const preview::WantedSize wanted =
        preview::previewDrawnSize(surfaces.frameWidth, surfaces.frameHeight);
    const preview::DecodedPicture picture =
        source.kind == puzzle::ImageSource::Kind::CurrentFileRange
            ? preview::decodePictureRange(source.file, source.offset, source.size, wanted,
                                          preview::kPreviewSampling)
        : source.kind == puzzle::ImageSource::Kind::WholeFile
            ? preview::decodePictureFile(source.file, wanted, preview::kPreviewSampling)
            : preview::DecodedPicture{};
    preview::drawPreviewPicture(surfaces.forSlot(slot).image, picture);
    if (picture.ok()) {
        result.decodedWidth = picture.decodedWidth;
        result.decodedHeight = picture.decodedHeight;
    }
    return result;
}

RenderResult renderPreview(preview::PreviewSurfaces& surfaces, const std::string& path,
                           const std::string& currentFilePath, std::int64_t offset,
                           std::int64_t size, int slot) {
    puzzle::ImageSource source;
    source.size = size;
    if (offset != 0)
        source = {puzzle::ImageSource::Kind::CurrentFileRange, currentFilePath, offset, size};
    else if (!path.empty())
        source = {puzzle::ImageSource::Kind::WholeFile, path, 0, size};
    return renderPreview(surfaces, source, slot);
}

} // namespace pdt::bench
