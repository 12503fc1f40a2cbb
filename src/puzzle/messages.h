#pragma once
// Every text the engine gives the user, in one place. Texts are UTF-8; the editor shows
// them in message boxes, adxtool prints them.

#include "puzzle/file_system.h" // the errno values, EDQUOT on Windows too
#include "puzzle/user_message.h"

#include <string>

namespace pdt::puzzle::messages {

inline constexpr char kInformation[] = "情報";
inline constexpr char kConfirmation[] = "確認";

// Why an operation of the disk failed, from its errno value: one short sentence.
std::string IoErrorReason(int error);

// Saving.
UserMessage PatternWithoutPicture(int patternNumber);
UserMessage PictureUnreadable(int patternNumber, int slot);
UserMessage PasswordTooLong();
UserMessage FileTooLarge();
UserMessage SaveNameTooLong();
UserMessage SaveTargetNotAFile();
UserMessage CreateFailed();
UserMessage CreateFailed(int error); // with the system's reason
UserMessage WriteFailed(int error);
UserMessage Saved();

// Opening.
UserMessage CannotOpen(int error);
UserMessage NotPuzzleData();
UserMessage TooShort();
UserMessage NothingReadable(const std::string& damage);
UserMessage Damaged(const std::string& damage, int patternsRead);

// Attaching a picture.
UserMessage PictureCannotBeOpened(int error);
UserMessage PicturePathNotEncodable();
UserMessage PicturePathTooLong();
UserMessage PictureTooLarge();

// Extracting a picture.
UserMessage NotJoinedYet();
UserMessage NoPictureSet();
UserMessage InvalidPictureSize();
UserMessage PictureOutsideFile();
UserMessage ExtractSourceUnreadable(int error);
UserMessage ExtractNameTooLong();
UserMessage ExtractTargetIsFolder();
UserMessage ExtractOverCurrentFile();
UserMessage ExtractFailed(int error);
UserMessage Extracted();

} // namespace pdt::puzzle::messages
