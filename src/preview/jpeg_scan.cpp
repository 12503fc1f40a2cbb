#include "preview/jpeg_scan.h"

#ifdef PDT_HAVE_LIBJPEG

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h: which warnings exist depends on its configuration.
#include <jerror.h>

namespace pdt::preview {

namespace {

// Reads the range through a block of its own, as libjpeg asks for more.
struct RangeSource {
    jpeg_source_mgr pub;
    puzzle::ByteSource* bytes;
    std::uint64_t at, end;
    std::array<JOCTET, 64 * 1024> block;
};

// What the error manager hears: libjpeg calls it with the decompressor, which the handler
// finds its way back from.
struct Listener {
    jpeg_error_mgr pub;
    std::jmp_buf failed;
    bool pastHeader = false; // the first scan's header has been read
    struct Heard {
        int code;
        bool pastHeader;
    };
    std::vector<Heard> heard;
};

boolean fill(j_decompress_ptr cinfo) {
    auto* s = reinterpret_cast<RangeSource*>(cinfo->src);
    const std::uint64_t n = std::min<std::uint64_t>(s->end - s->at, s->block.size());
    if (n == 0 || !s->bytes->readAt(s->at, std::span(s->block.data(), size_t(n)))) {
        // As libjpeg's own sources do: a warning, then an end marker, so the decode ends.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        s->block[0] = 0xFF;
        s->block[1] = JPEG_EOI;
        s->pub.next_input_byte = s->block.data();
        s->pub.bytes_in_buffer = 2;
        s->at = s->end;
        return TRUE;
    }
    s->at += n;
    s->pub.next_input_byte = s->block.data();
    s->pub.bytes_in_buffer = size_t(n);
    return TRUE;
}

void skip(j_decompress_ptr cinfo, long count) {
    auto* s = reinterpret_cast<RangeSource*>(cinfo->src);
    if (count <= 0)
        return;
    if (size_t(count) <= s->pub.bytes_in_buffer) {
        s->pub.next_input_byte += count;
        s->pub.bytes_in_buffer -= size_t(count);
        return;
    }
    const std::uint64_t beyond = std::uint64_t(count) - s->pub.bytes_in_buffer;
    s->at = std::min(s->end, s->at + beyond);
    s->pub.bytes_in_buffer = 0;
}

void noop(j_decompress_ptr) {}

void failNow(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Listener*>(cinfo->err)->failed, 1);
}

void hear(j_common_ptr cinfo, int level) {
    auto* l = reinterpret_cast<Listener*>(cinfo->err);
    if (level < 0) // a warning; trace messages are not
        l->heard.push_back({l->pub.msg_code, l->pastHeader});
}

void hearNothing(j_common_ptr) {}

// The kind of one warning. Running out of data is harmless only where every pixel was there
// already: in a single Huffman-coded scan, whose decoder says "premature end of data
// segment" as soon as it needs a bit the data lacks. Arithmetic-coded scans may end early
// by design, and a multi-scan picture may lack whole scans, so there it made up pixels.
DecoderWarning kindOf(const Listener::Heard& h, bool singleHuffmanScan, bool hitMarker) {
    switch (h.code) {
    case JWRN_EXTRANEOUS_DATA:
        return h.pastHeader ? DecoderWarning::CorruptEntropyData
                            : DecoderWarning::StrayBytesBetweenSegments;
    case JWRN_JPEG_EOF:
        return singleHuffmanScan && !hitMarker ? DecoderWarning::MissingEndMarker
                                               : DecoderWarning::PrematureEnd;
    case JWRN_HIT_MARKER:
        return DecoderWarning::PrematureEnd;
    case JWRN_HUFF_BAD_CODE:
#if JPEG_LIB_VERSION >= 70 || defined(D_ARITH_CODING_SUPPORTED)
    case JWRN_ARITH_BAD_CODE:
#endif
        return DecoderWarning::CorruptEntropyData;
    case JWRN_MUST_RESYNC:
        return DecoderWarning::LostRestartMarker;
    case JWRN_BOGUS_PROGRESSION:
        return DecoderWarning::BadProgression;
    case JWRN_JFIF_MAJOR:
        return DecoderWarning::UnknownJfifVersion;
    case JWRN_ADOBE_XFORM:
        return DecoderWarning::UnknownAdobeTransform;
    case JWRN_NOT_SEQUENTIAL:
        return DecoderWarning::OddSequentialScanParameters;
    case JWRN_BOGUS_ICC:
        return DecoderWarning::BadIccProfile;
    default:
        return DecoderWarning::Unrecognised;
    }
}

// The decode itself; false when libjpeg gave up. Nothing here owns memory that a longjmp out
// of libjpeg would leak: the decompressor's memory is libjpeg's, freed by the caller.
bool decodeAll(jpeg_decompress_struct& cinfo, Listener& listener, bool& singleHuffmanScan) {
    if (setjmp(listener.failed))
        return false;
#ifndef PDT_LIBJPEG_WITHOUT_ICC
    // Qt's reader reads the colour profile, whose damage libjpeg reports as it joins it. The
    // copy of libjpeg built into Qt cannot join profiles (a damaged one is harmless anyway).
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
#endif
    jpeg_read_header(&cinfo, TRUE);
#ifndef PDT_LIBJPEG_WITHOUT_ICC
    JOCTET* profile = nullptr;
    unsigned int profileSize = 0;
    if (jpeg_read_icc_profile(&cinfo, &profile, &profileSize))
        std::free(profile);
#endif
    listener.pastHeader = true;
    singleHuffmanScan =
        !cinfo.arith_code && !cinfo.progressive_mode && cinfo.comps_in_scan == cinfo.num_components;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    cinfo.do_block_smoothing = FALSE;
    jpeg_start_decompress(&cinfo);
    const JDIMENSION row = cinfo.output_width * JDIMENSION(cinfo.output_components);
    JSAMPARRAY line =
        (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, row, 1);
    while (cinfo.output_scanline < cinfo.output_height)
        if (jpeg_read_scanlines(&cinfo, line, 1) != 1)
            return false;
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

JpegScan scanJpeg(puzzle::ByteSource& source, std::int64_t offset, std::int64_t size) {
    JpegScan scan;
    scan.available = true;
    jpeg_decompress_struct cinfo{};
    Listener listener{};
    cinfo.err = jpeg_std_error(&listener.pub);
    listener.pub.error_exit = failNow;
    listener.pub.emit_message = hear;
    listener.pub.output_message = hearNothing;
    jpeg_create_decompress(&cinfo);
    auto src = std::make_unique<RangeSource>();
    src->pub.init_source = noop;
    src->pub.fill_input_buffer = fill;
    src->pub.skip_input_data = skip;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = noop;
    src->bytes = &source;
    src->at = std::uint64_t(offset);
    src->end = std::uint64_t(offset) + std::uint64_t(size);
    cinfo.src = &src->pub;

    bool singleHuffmanScan = false;
    scan.decoded = decodeAll(cinfo, listener, singleHuffmanScan);
    jpeg_destroy_decompress(&cinfo);

    bool hitMarker = false;
    for (const Listener::Heard& h : listener.heard)
        hitMarker = hitMarker || h.code == JWRN_HIT_MARKER;
    for (const Listener::Heard& h : listener.heard)
        scan.warnings.add(kindOf(h, singleHuffmanScan, hitMarker));
    if (!scan.decoded)
        scan.warnings.add(DecoderWarning::Unrecognised);
    return scan;
}

} // namespace pdt::preview

#else

namespace pdt::preview {

JpegScan scanJpeg(puzzle::ByteSource&, std::int64_t, std::int64_t) {
    return {};
}

} // namespace pdt::preview

#endif
