#pragma once
// Whether a picture file can be attached: only a picture the decoder reads whole is taken,
// so that every attached picture can be shown and offers its piece counts.

#include "puzzle/user_message.h"

#include <QSize>

#include <optional>
#include <string>
#include <vector>

namespace pdt::app {

// Nothing when the picture decodes whole; else the message saying why it is refused.
std::optional<puzzle::UserMessage> pictureRefusal(const std::string& nativePath);

class ProgressReport;

struct PictureCheck {
    std::optional<puzzle::UserMessage> refusal;
    QSize size; // from the header, for the piece counts
};

// Checks the pictures on worker threads, several at once, since each check decodes the
// whole picture: the GUI thread keeps painting (user input waits) and `progress`, when
// given, is updated and may cancel. One result a path, in order; nothing when cancelled.
std::optional<std::vector<PictureCheck>> checkPictures(const std::vector<std::string>& nativePaths,
                                                       ProgressReport* progress);

} // namespace pdt::app
