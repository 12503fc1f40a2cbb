#pragma once
// Every text the editor window shows itself, in one place (UTF-8). Texts of the engine's
// own messages (save, open, pictures) come with the messages it returns.

namespace pdt::app::ui {

// Main window.
inline constexpr char kWindowTitle[] = "パズルデータ作成ツール Ver2.0";
inline constexpr char kToolName[] = "パズルデータ作成ツール";
inline constexpr char kTitleWithFile[] = "%1 (%2)"; // tool name, full path
inline constexpr char kPatternEntryFormat[] = "%3d ﾊﾟﾀｰﾝ";

// Menu.
inline constexpr char kMenuFile[] = "ﾌｧｲﾙ(&F)";
inline constexpr char kMenuNew[] = "新規作成(&N)";
inline constexpr char kMenuOpen[] = "開く(&O)...";
inline constexpr char kMenuSave[] = "保存(&A)...";
inline constexpr char kMenuExit[] = "ｱﾌﾟﾘｹｰｼｮﾝの終了(&Q)";

// Main dialog controls.
inline constexpr char kMoveUp[] = "↑上へ";
inline constexpr char kMoveDown[] = "↓下へ";
inline constexpr char kPieceSettings[] = "ピース設定";
inline constexpr char kMinPieces[] = "最小ピース数";
inline constexpr char kRotation[] = "ピース回転";
inline constexpr char kClearComment[] = "パズル完成後のコメント";
inline constexpr char kFinishComment[] = "完成ＣＧ表示後のコメント";
inline constexpr char kDelete[] = "削除";
inline constexpr char kFileStructure[] = "ファイル構成";
inline constexpr char kPuzzleImage[] = "パズル中のＣＧ";
inline constexpr char kFinishedImage[] = "完成した時のＣＧ";
inline constexpr char kAddImage[] = "追加...";
inline constexpr char kExtractImage[] = "抽出";
inline constexpr char kPassword[] = "パスワード";
inline constexpr char kAddPattern[] = "追加";
inline constexpr char kVendorInfo[] = "ベンダー情報付加";

// Password prompt.
inline constexpr char kPasswordCaption[] = "パスワード入力";
inline constexpr char kPasswordOk[] = "OK";
inline constexpr char kPasswordCancel[] = "ｷｬﾝｾﾙ";
inline constexpr char kPasswordNotice[] = "このファイルにはパスワードが設定されています。";
inline constexpr char kPasswordRequest[] = "パスワードを入力して下さい。";
inline constexpr char kWrongPassword[] = "パスワードが違います。";

// Messages and their captions.
inline constexpr char kCaptionInformation[] = "情報";
inline constexpr char kCaptionExit[] = "終了";
inline constexpr char kConfirmExit[] = "このプログラムを終了しますか？";
inline constexpr char kOneFileOnly[] = "ドロップできるファイルは １つです。";
inline constexpr char kSeveralPatterns[] = "複数のパターンが選択されています。";
inline constexpr char kNoDisplayMemory[] = "表示用メモリを確保できません";

// File dialogs.
inline constexpr char kOpenTitle[] = "開く";
inline constexpr char kSaveTitle[] = "保存";
inline constexpr char kPuzzleDataFilter[] = "連結ﾌｧｲﾙ(*.ADX)";
inline constexpr char kPuzzleDataPattern[] = "*.ADX";
// The picture dialog's types, in the order offered, each with its pattern.
inline constexpr char kPictureFilterUsable[] = "利用可能な画像ﾌｧｲﾙ";
inline constexpr char kPictureFilterUsablePattern[] = "*.bmp;*.jpg;*.jpeg;*.gif";
inline constexpr char kPictureFilterBitmap[] = "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)";
inline constexpr char kPictureFilterBitmapPattern[] = "*.bmp";
inline constexpr char kPictureFilterJpeg[] = "JPEG File Interchange format(*.jpg;*.jpeg)";
inline constexpr char kPictureFilterJpegPattern[] = "*.jpg;*.jpeg";
inline constexpr char kPictureFilterGif[] = "GIF (*.gif)";
inline constexpr char kPictureFilterGifPattern[] = "*.gif";
// The extraction dialog's single type, with no pattern: every file.
inline constexpr char kExtractFilter[] = "画像ﾌｧｲﾙ";

// The large view (added by this editor).
inline constexpr char kLargeViewTitle[] = "拡大表示 - %1"; // the slot's name
inline constexpr char kLargeViewPictureName[] = "拡大表示の画像";
inline constexpr char kLargeViewSizes[] = "画像の大きさ";
inline constexpr char kLargeViewPictureSize[] = "%1 × %2 ドット";
inline constexpr char kLargeViewGrid[] = "%1 × %2 = %3 ピース、1ピース %4 × %5 ドット";
inline constexpr char kLargeViewNoPicture[] = "画像がありません";

// Added by this editor: the save progress and the hints of refused input.
inline constexpr char kSaveProgress[] = "保存しています...";
inline constexpr char kHintNotCp932[] = "この文字は使えません（シフトJISにない文字です）。";
inline constexpr char kHintTooLong[] = "これ以上入力できません（%1バイトまで）。";
inline constexpr char kHintNoSpace[] = "パスワードに空白は使えません。";

} // namespace pdt::app::ui
