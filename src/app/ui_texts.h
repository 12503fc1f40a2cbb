#pragma once
// Every text the editor window shows itself, in one place (UTF-8). Texts of the engine's
// own messages (save, open, pictures) come with the messages it returns.

namespace pdt::app::ui {

// Main window.
inline constexpr char kWindowTitle[] = "パズルデータ作成ツール Ver2.0";
inline constexpr char kToolName[] = "パズルデータ作成ツール";
inline constexpr char kTitleWithFile[] = "%1 (%2)"; // tool name, full path
inline constexpr char kPatternEntryFormat[] = "%3d ﾊﾟﾀｰﾝ";
inline constexpr char kShownEntry[] = "表示中のパターン"; // the entry of the pattern shown

// Menu.
inline constexpr char kMenuFile[] = "ﾌｧｲﾙ(&F)";
inline constexpr char kMenuNew[] = "新規作成(&N)";
inline constexpr char kMenuOpen[] = "開く(&O)...";
inline constexpr char kMenuSaveOver[] = "上書き保存(&S)";
inline constexpr char kMenuSaveAs[] = "名前を付けて保存(&A)...";
inline constexpr char kMenuRecent[] = "最近使ったファイル(&R)";
inline constexpr char kMenuExit[] = "ｱﾌﾟﾘｹｰｼｮﾝの終了(&Q)";
inline constexpr char kMenuEdit[] = "編集(&E)";
inline constexpr char kMenuUndo[] = "元に戻す(&U)";
inline constexpr char kMenuRedo[] = "やり直し(&R)";
inline constexpr char kUndoTip[] = "元に戻す: %1";
inline constexpr char kRedoTip[] = "やり直し: %1";
inline constexpr char kMenuDuplicate[] = "パターンの複製(&D)";
inline constexpr char kMenuDeletePatterns[] = "パターンの削除(&L)";
inline constexpr char kMenuMoveUp[] = "パターンを上へ移動(&K)";
inline constexpr char kMenuMoveDown[] = "パターンを下へ移動(&J)";
inline constexpr char kMenuAddFromPictures[] = "画像から新しいパターンを追加(&P)...";
inline constexpr char kMenuView[] = "表示(&V)";
inline constexpr char kMenuThumbnails[] = "サムネイルを表示(&T)";
inline constexpr char kMenuLargePuzzle[] = "パズル中のＣＧを大きく表示(&B)";
inline constexpr char kMenuLargeFinished[] = "完成した時のＣＧを大きく表示(&C)";

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
inline constexpr char kPictureFilterConvertible[] = "変換して使える画像ﾌｧｲﾙ (%1)"; // the patterns
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
inline constexpr char kCheckProgress[] = "画像を確認しています...";
inline constexpr char kCheckTitle[] = "画像の確認";
inline constexpr char kHintNotCp932[] = "この文字は使えません（シフトJISにない文字です）。";
inline constexpr char kHintTooLong[] = "これ以上入力できません（%1バイトまで）。";
inline constexpr char kHintNoSpace[] = "パスワードに空白は使えません。";

// Added by this editor: what a desktop program asks.
inline constexpr char kCaptionConfirmation[] = "確認";
inline constexpr char kConfirmReplace[] = "%1 は既に存在します。\n置き換えますか？";
inline constexpr char kRecentMissing[] =
    "ファイルが見つかりません。最近使ったファイルの一覧から削除しました。\n%1";
inline constexpr char kPictureNotKnown[] = "このファイルは画像として読み込めないため、設定できませ"
                                           "ん（ＢＭＰ・ＪＰＥＧ・ＧＩＦが使えます）。";
inline constexpr char kPictureDamaged[] =
    "この画像は壊れているか途中で切れているため、設定できません。";
inline constexpr char kPictureTooLarge[] = "この画像は大きすぎるため、設定できません。";
// What a picture the decoder cannot read is, each after its kind.
inline constexpr char kPictureJpegPrecision[] =
    "この画像は %1 ビットの JPEG のため、設定できません（8 ビットの JPEG が使えます）。";
inline constexpr char kPictureJpegLossless[] =
    "この画像はロスレス方式の JPEG のため、設定できません。";
inline constexpr char kPictureJpegHierarchical[] =
    "この画像は階層方式の JPEG のため、設定できません。";
inline constexpr char kPictureBmpWithJpeg[] =
    "この画像は中身が JPEG の BMP のため、設定できません。";
inline constexpr char kPictureBmpWithPng[] = "この画像は中身が PNG の BMP のため、設定できません。";
inline constexpr char kPictureBmpHeader[] =
    "この画像は読み込めない版の BMP（ヘッダー %1 バイト）のため、設定できません。";
inline constexpr char kPictureGifZeroSide[] =
    "この画像は幅か高さが 0 の GIF のため、設定できません。";
inline constexpr char kPictureOtherFormat[] =
    "この画像は %1 形式のため、そのままでは設定できません（BMP・JPEG・GIF が使えます）。";
inline constexpr char kPictureUnreadable[] =
    "この画像ファイルを読み込めないため、設定できません（普通のファイルではないか、開けません）。";
inline constexpr char kPictureInfo[] = "%1  %2×%3ピクセル  %4";

// Added by this editor: pictures the player cannot use as they are, made usable.
inline constexpr char kCaptionConvert[] = "画像の変換";
inline constexpr char kAskConvert[] =
    "この画像は %1 形式のため、そのままでは使えません。JPEG 形式に変換して設定しますか？";
inline constexpr char kAskConvertSeveral[] = // how many, the formats
    "%1 枚の画像は %2 形式のため、そのままでは使えません。JPEG 形式に変換して設定しますか？";
inline constexpr char kCaptionUpright[] = "画像の向き";
inline constexpr char kAskUpright[] =
    "この写真には向きの情報があります。パズルでは横向きに表示されま"
    "す。正しい向きに回転して設定しますか？";
inline constexpr char kAskUprightSeveral[] = // how many
    "%1 枚の写真には向きの情報があります。パズルでは横向きに表示されます。正しい向きに回転して設"
    "定しますか？";
inline constexpr char kConversionFailed[] = "この画像を JPEG 形式に変換できませんでした。";
inline constexpr char kUprightFailed[] = "この写真を正しい向きに回転できませんでした。";
inline constexpr char kNoteConverted[] = "JPEG 形式に変換した画像";
inline constexpr char kNoteTurned[] = "正しい向きに回転した画像";

// Added by this editor: recovering what was not saved when the editor ended.
inline constexpr char kCaptionRecovery[] = "編集の復元";
inline constexpr char kAskRecovery[] =
    "前回、保存されずに終了した編集があります。復元しますか？\n\n%1  %2"; // file, time
inline constexpr char kConfirmDiscardRecovery[] = "復元しない編集は削除されます。よろしいですか？";
inline constexpr char kUntitled[] = "無題";
inline constexpr char kRecoveryDamaged[] =
    "保存されずに終了した編集の記録が壊れているか、このバージョンでは読めないため、"
    "復元できません。記録は次の名前で残しました。\n%1";
inline constexpr char kRecoveryMovedPictures[] =
    "次の画像は、編集の後で変更されたか見つからないため、復元できませんでした。\n%1";
inline constexpr char kRecoveryMovedLine[] = "ﾊﾟﾀｰﾝ%1 %2  %3"; // number, slot, picture

} // namespace pdt::app::ui
