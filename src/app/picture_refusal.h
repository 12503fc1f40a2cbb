#pragma once
// Whether a picture file can be attached: only a picture the decoder reads whole is taken,
// so that every attached picture can be shown and offers its piece counts.

#include "puzzle/user_message.h"

#include <optional>
#include <string>

namespace pdt::app {

// Nothing when the picture decodes whole; else the message saying why it is refused.
std::optional<puzzle::UserMessage> pictureRefusal(const std::string& nativePath);

} // namespace pdt::app
