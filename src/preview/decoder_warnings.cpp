#include "preview/decoder_warnings.h"

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
    const auto has = [&message](const char* text) {
        return message.contains(QLatin1String(text), Qt::CaseSensitive);
    };
    // libjpeg's warning texts, as Qt's JPEG reader logs them, and Qt's colour profile parser.
    // Plain searches, no regular expressions: checks run on threads Qt did not start.
    if (const qsizetype at = message.indexOf(QLatin1String("extraneous bytes before marker 0x"));
        at >= 0) {
        // Before an end or restart marker (0xd0-0xd7, 0xd9) they are bytes a scan left.
        const QStringView code = QStringView(message).mid(at + 33, 2);
        const bool endsScan = code.size() == 2 && code[0] == u'd' &&
                              ((code[1] >= u'0' && code[1] <= u'7') || code[1] == u'9');
        return endsScan ? DecoderWarning::CorruptEntropyData
                        : DecoderWarning::StrayBytesBetweenSegments;
    }
    if (has("premature end of data segment") || has("Premature end of JPEG file"))
        return DecoderWarning::PrematureEnd;
    if (has("bad Huffman code") || has("bad arithmetic code"))
        return DecoderWarning::CorruptEntropyData;
    if (has("instead of RST"))
        return DecoderWarning::LostRestartMarker;
    if (has("unknown JFIF revision"))
        return DecoderWarning::UnknownJfifVersion;
    if (has("Unknown Adobe color transform"))
        return DecoderWarning::UnknownAdobeTransform;
    if (has("Invalid SOS parameters for sequential"))
        return DecoderWarning::OddSequentialScanParameters;
    if (has("Inconsistent progression sequence"))
        return DecoderWarning::BadProgression;
    if (message.contains(QLatin1String("icc"), Qt::CaseInsensitive))
        return DecoderWarning::BadIccProfile;
    return DecoderWarning::Unrecognised;
}

} // namespace pdt::preview
