#include "app/command_line.h"

#include <string_view>

namespace pdt::app {

namespace {

constexpr std::string_view kHiddenWord = "TEAPOT";

} // namespace

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
