#pragma once
// What an operation wants the user to see. The engine returns these; the editor turns
// them into message boxes in one place, adxtool prints their text.

#include <string>

namespace pdt::puzzle {

enum class MessageIcon { None, Information, Error };

struct UserMessage {
    std::string text;    // UTF-8
    std::string caption; // "情報", "確認" or "終了"
    MessageIcon icon = MessageIcon::None;

    bool operator==(const UserMessage&) const = default;
};

} // namespace pdt::puzzle
