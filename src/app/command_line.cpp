#include "app/command_line.h"

#include <algorithm>
#include <array>

namespace pdt::app {

namespace {

constexpr std::string_view kHiddenWord = "TEAPOT";

// The fixed buffer: strings are copied in one after another, each NUL-terminated.
class ArgumentBuffer {
  public:
    // Appends a string when it fits whole with its terminator.
    bool append(std::string_view s) {
        if (s.size() + 1 > buffer_.size() - used_)
            return false;
        s.copy(buffer_.data() + used_, s.size());
        used_ += s.size();
        buffer_[used_++] = '\0';
        return true;
    }
    // The program path is cut rather than dropped, leaving room for its terminator.
    void appendCut(std::string_view s) {
        append(s.substr(0, std::min(s.size(), buffer_.size() - used_ - 1)));
    }

  private:
    std::array<char, kCommandLineBufferSize> buffer_{};
    std::size_t used_ = 0;
};

} // namespace

CommandLine ParseCommandLine(std::string_view raw) {
    CommandLine result;
    ArgumentBuffer buffer;
    std::size_t pos = 0;

    if (!raw.empty() && raw[0] == '"') {
        const std::size_t close = raw.find('"', 1);
        const std::size_t end = close == std::string_view::npos ? raw.size() : close;
        result.programPath = std::string(raw.substr(1, end - 1));
        pos = close == std::string_view::npos ? raw.size() : close + 1;
    } else {
        const std::size_t space = raw.find(' ');
        const std::size_t end = space == std::string_view::npos ? raw.size() : space;
        result.programPath = std::string(raw.substr(0, end));
        pos = space == std::string_view::npos ? raw.size() : space + 1;
    }
    if (result.programPath.size() > kCommandLineBufferSize - 1)
        result.programPath.resize(kCommandLineBufferSize - 1);
    buffer.appendCut(result.programPath);

    while (pos < raw.size() && result.arguments.size() < kMaxArguments) {
        while (pos < raw.size() && raw[pos] == ' ')
            ++pos;
        if (pos >= raw.size())
            break;
        std::string arg;
        if (raw[pos] == '"') {
            const std::size_t close = raw.find('"', pos + 1);
            const std::size_t end = close == std::string_view::npos ? raw.size() : close;
            arg = std::string(raw.substr(pos + 1, end - pos - 1));
            pos = close == std::string_view::npos ? raw.size() : close + 1;
        } else {
            bool inQuotes = false;
            while (pos < raw.size() && (inQuotes || raw[pos] != ' ')) {
                if (raw[pos] == '"')
                    inQuotes = !inQuotes;
                arg += raw[pos++];
            }
        }
        if (!buffer.append(arg))
            break; // the buffer is full: this and every later argument are dropped
        result.arguments.push_back(std::move(arg));
    }
    return result;
}

DialogVariant ChooseDialogVariant(const std::string* firstArgument) {
    if (firstArgument == nullptr || firstArgument->size() != kHiddenWord.size())
        return DialogVariant::PZ_BIND;
    for (std::size_t i = 0; i < kHiddenWord.size(); ++i) {
        char c = (*firstArgument)[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != kHiddenWord[i])
            return DialogVariant::PZ_BIND;
    }
    return DialogVariant::PZ_BIND2;
}

} // namespace pdt::app
