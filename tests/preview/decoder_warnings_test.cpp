// The kinds of the messages Qt's readers log, as a build without libjpeg-turbo of its own
// judges JPEGs by them.

#include "preview/decoder_warnings.h"

#include <gtest/gtest.h>

using namespace pdt::preview;

namespace {

TEST(DecoderWarnings, KnowLibjpegsTextsByKindAndTheBytesAScanLeftByTheirMarker) {
    using W = DecoderWarning;
    const std::pair<const char*, W> cases[] = {
        {"Corrupt JPEG data: 3 extraneous bytes before marker 0xdb", W::StrayBytesBetweenSegments},
        {"Corrupt JPEG data: 3 extraneous bytes before marker 0xda", W::StrayBytesBetweenSegments},
        {"Corrupt JPEG data: 515 extraneous bytes before marker 0xd9", W::CorruptEntropyData},
        {"Corrupt JPEG data: 2 extraneous bytes before marker 0xd3", W::CorruptEntropyData},
        {"Corrupt JPEG data: premature end of data segment", W::PrematureEnd},
        {"Premature end of JPEG file", W::PrematureEnd},
        {"Corrupt JPEG data: bad Huffman code", W::CorruptEntropyData},
        {"Corrupt JPEG data: found marker 0xd9 instead of RST3", W::LostRestartMarker},
        {"Warning: unknown JFIF revision number 3.01", W::UnknownJfifVersion},
        {"Unknown Adobe color transform code 7", W::UnknownAdobeTransform},
        {"Inconsistent progression sequence for component 0 coefficient 1", W::BadProgression},
        {"Corrupt JPEG data: bad ICC marker", W::BadIccProfile},
        {"QImage::pixel: coordinate (3,4) out of range", W::Unrecognised},
    };
    for (const auto& [text, kind] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(classifyReaderMessage(QString::fromLatin1(text)), kind);
    }
}

} // namespace
