#pragma once
// The texts the editing session gives the editor (UTF-8): what each step of the history is
// called in the undo and redo commands, and why a command did nothing.

namespace pdt::session::texts {

inline constexpr char kStepAddPattern[] = "パターンの追加";
inline constexpr char kStepDeletePatterns[] = "パターンの削除";
inline constexpr char kStepMovePatterns[] = "パターンの移動";
inline constexpr char kStepDuplicatePattern[] = "パターンの複製";
inline constexpr char kStepAddPictures[] = "画像からパターンを追加";
inline constexpr char kStepAttachPicture[] = "画像の追加";
inline constexpr char kStepDeletePicture[] = "画像の削除";
inline constexpr char kStepPieceCount[] = "ピース数の変更";
inline constexpr char kStepRotation[] = "ピース回転の変更";
inline constexpr char kStepClearComment[] = "パズル完成後のコメントの入力";
inline constexpr char kStepFinishComment[] = "完成ＣＧ表示後のコメントの入力";
inline constexpr char kStepPassword[] = "パスワードの変更";
inline constexpr char kStepVendorInfo[] = "ベンダー情報付加の変更";
inline constexpr char kStepNew[] = "新規作成";
inline constexpr char kStepOpen[] = "ファイルを開く";

inline constexpr char kCannotDeleteAll[] = "すべてのパターンを削除することはできません。";
inline constexpr char kPatternLimit[] = "パターンは２００個までしか追加できません。";
inline constexpr char kPatternLimitSome[] =
    "パターンは２００個までしか追加できません。残りの画像は追加されませんでした。";
// Followed by one line per picture: its file name, two spaces and why.
inline constexpr char kPicturesRefused[] = "次の画像は追加できませんでした。";

} // namespace pdt::session::texts
