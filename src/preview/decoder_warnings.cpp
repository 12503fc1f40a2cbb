#include "preview/decoder_warnings.h"

#include <QRegularExpression>

#include <algorithm>

namespace pdt::preview {

bool madeUpPixels(DecoderWarning warning) {
    switch (warning) {
    case DecoderWarning::StrayBytesBetweenSegments:
    case DecoderWarning::UnknownJfifVersion:
    case DecoderWarning::UnknownAdobeTransform:
    case DecoderWarning::OddSequentialScanParameters:
    case DecoderWarning::BadIccProfile:
    case DecoderWarning::MissingEndMarker:
        return false;
    case DecoderWarning::PrematureEnd:
    case DecoderWarning::CorruptEntropyData:
    case DecoderWarning::LostRestartMarker:
    case DecoderWarning::BadProgression:
    case DecoderWarning::MissingRows:
    case DecoderWarning::PaletteIndexOutOfRange:
    case DecoderWarning::Unrecognised:
        return true;
    }
    return true;
}

void DecoderWarnings::add(DecoderWarning warning) {
    if (std::find(kinds.begin(), kinds.end(), warning) == kinds.end())
        kinds.push_back(warning);
}

bool DecoderWarnings::madeUp() const {
    return std::any_of(kinds.begin(), kinds.end(), madeUpPixels);
}

DecoderWarning DecoderWarnings::firstMadeUp() const {
    const auto it = std::find_if(kinds.begin(), kinds.end(), madeUpPixels);
    return it == kinds.end() ? DecoderWarning::Unrecognised : *it;
}

std::string_view describeWarning(DecoderWarning warning) {
    switch (warning) {
    case DecoderWarning::StrayBytesBetweenSegments:
        return "stray bytes between segments";
    case DecoderWarning::UnknownJfifVersion:
        return "a JFIF segment of an unknown version";
    case DecoderWarning::UnknownAdobeTransform:
        return "an Adobe segment with an unknown colour transform";
    case DecoderWarning::OddSequentialScanParameters:
        return "odd scan parameters in a sequential JPEG";
    case DecoderWarning::BadIccProfile:
        return "a damaged colour profile";
    case DecoderWarning::MissingEndMarker:
        return "the end marker is missing after the whole picture";
    case DecoderWarning::PrematureEnd:
        return "the data ends before the picture does";
    case DecoderWarning::CorruptEntropyData:
        return "the compressed picture data is corrupt";
    case DecoderWarning::LostRestartMarker:
        return "a restart marker is lost, rows were guessed";
    case DecoderWarning::BadProgression:
        return "the progressive scans do not fit together";
    case DecoderWarning::MissingRows:
        return "rows or pixels are missing from the data";
    case DecoderWarning::PaletteIndexOutOfRange:
        return "pixels name colours past the end of the palette";
    case DecoderWarning::Unrecognised:
        return "the decoder reported a problem";
    }
    return "";
}

DecoderWarning classifyReaderMessage(const QString& message) {
    struct Pattern {
        const char* regex;
        DecoderWarning kind;
    };
    // libjpeg's warning texts, as Qt's JPEG reader logs them, and Qt's colour profile parser.
    static const Pattern kPatterns[] = {
        {"extraneous bytes before marker 0x(d[0-79])", DecoderWarning::CorruptEntropyData},
        {"extraneous bytes before marker", DecoderWarning::StrayBytesBetweenSegments},
        {"premature end of data segment", DecoderWarning::PrematureEnd},
        {"Premature end of JPEG file", DecoderWarning::PrematureEnd},
        {"bad (Huffman|arithmetic) code", DecoderWarning::CorruptEntropyData},
        {"found marker 0x[0-9a-f]+ instead of RST", DecoderWarning::LostRestartMarker},
        {"unknown JFIF revision", DecoderWarning::UnknownJfifVersion},
        {"Unknown Adobe color transform", DecoderWarning::UnknownAdobeTransform},
        {"Invalid SOS parameters for sequential", DecoderWarning::OddSequentialScanParameters},
        {"Inconsistent progression sequence", DecoderWarning::BadProgression},
        {"bad ICC marker|[Ii]cc", DecoderWarning::BadIccProfile},
    };
    for (const Pattern& p : kPatterns)
        if (message.contains(QRegularExpression(QString::fromLatin1(p.regex))))
            return p.kind;
    return DecoderWarning::Unrecognised;
}

} // namespace pdt::preview
