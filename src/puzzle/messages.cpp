#include "puzzle/messages.h"

#include "puzzle/record.h"
#include "puzzle/record_walk.h"

#include <cerrno>

namespace pdt::puzzle {

namespace messages {

namespace {

UserMessage information(std::string text) {
    return {std::move(text), kInformation, MessageIcon::None};
}
UserMessage refusal(std::string text) {
    return {std::move(text), kInformation, MessageIcon::Error};
}
UserMessage failure(std::string text) {
    return {std::move(text), kConfirmation, MessageIcon::Error};
}

std::string withReason(const char* text, int error) {
    return std::string(text) + "\n" + IoErrorReason(error);
}

std::string pattern(int number) {
    return "ﾊﾟﾀｰﾝ" + std::to_string(number);
}

} // namespace

std::string IoErrorReason(int error) {
    switch (error) {
    case ENOSPC:
        return "ディスクの空き容量が足りません。";
#ifdef EDQUOT
    case EDQUOT:
        return "ディスクの使用量の上限を超えました。";
#endif
    case EFBIG:
        return "ファイルが大きすぎます。";
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました。";
    case EROFS:
        return "読み取り専用の場所には書き込めません。";
    case EIO:
        return "入出力エラーが発生しました。";
    case ENOENT:
        return "ファイルまたはフォルダが見つかりません。";
    case ENOTDIR:
        return "フォルダの指定が正しくありません。";
    case EISDIR:
        return "フォルダが指定されています。";
    case EINVAL:
        return "通常のファイルではありません。";
    case ENAMETOOLONG:
        return "ファイル名が長すぎます。";
    case EBUSY:
    case ETXTBSY:
        return "ファイルが使用中です。";
    case EEXIST:
        return "同じ名前のファイルがあります。";
    case ELOOP:
        return "シンボリックリンクには書き込みません。";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます。";
    default:
        return "エラーが発生しました（エラー番号 " + std::to_string(error) + "）。";
    }
}

UserMessage PatternWithoutPicture(int number) {
    return refusal(pattern(number) + " のＣＧが抜けています。保存できません。");
}
UserMessage PictureUnreadable(int number, int slot) {
    const char* which = slot == kPuzzleSlot ? "パズル中のＣＧ" : "完成した時のＣＧ";
    return refusal(pattern(number) + " の" + which + "を読み込めません。保存できません。");
}
UserMessage PasswordTooLong() {
    return refusal("パスワードは 16 バイト以内にしてください。保存できません。");
}
UserMessage FileTooLarge() {
    return refusal("画像の合計が大きすぎます（2GB 以上になります）。保存できません。");
}
UserMessage SaveNameTooLong() {
    return refusal("ファイル名が長すぎます。保存できません。");
}
UserMessage SaveTargetNotAFile() {
    return refusal("保存先がフォルダか特殊なファイルです。保存できません。");
}
UserMessage CreateFailed() {
    return failure("ファイルの作成に失敗しました。");
}
UserMessage CreateFailed(int error) {
    return failure(withReason("ファイルの作成に失敗しました。", error));
}
UserMessage WriteFailed(int error) {
    return failure(withReason("ファイルの書き込みに失敗しました。", error));
}
UserMessage Saved() {
    return information("ファイルを保存しました。");
}

UserMessage CannotOpen(int error) {
    return refusal(withReason("ファイルを開けませんでした。", error));
}
UserMessage NotPuzzleData() {
    return information("このファイルは連結されたファイルではありません。");
}
UserMessage TooShort() {
    return refusal("ファイルが短すぎます。連結されたファイルではありません。");
}
UserMessage NothingReadable(const std::string& damage) {
    return refusal("このファイルは壊れているため開けません。\n" + damage);
}
UserMessage Damaged(const std::string& damage, int patternsRead) {
    return {"このファイルは壊れています。\n" + damage + "\n読み込めたﾊﾟﾀｰﾝは " +
                std::to_string(patternsRead) + " 個です。",
            kConfirmation, MessageIcon::Information};
}

UserMessage PictureCannotBeOpened(int error) {
    return refusal(withReason("画像ファイルを開けませんでした。", error));
}
UserMessage PicturePathNotEncodable() {
    return refusal("ファイル名に使えない文字が含まれています。画像を設定できません。");
}
UserMessage PicturePathTooLong() {
    return refusal("ファイル名が長すぎます（255 バイトまで）。画像を設定できません。");
}
UserMessage PictureTooLarge() {
    return refusal("画像ファイルが大きすぎます（2GB 以上）。画像を設定できません。");
}

UserMessage NotJoinedYet() {
    return refusal("この位置の画像はまだ連結されていません。");
}
UserMessage NoPictureSet() {
    return refusal("この位置には画像が設定されていません。");
}
UserMessage InvalidPictureSize() {
    return refusal("この位置の画像はファイルサイズが不正です。");
}
UserMessage PictureOutsideFile() {
    return refusal("この位置の画像は連結ファイルの範囲外にあります。抽出できません。");
}
UserMessage ExtractSourceUnreadable(int error) {
    return failure(withReason("連結ファイルを読み込めません。抽出できません。", error));
}
UserMessage ExtractNameTooLong() {
    return refusal("ファイル名が長すぎます。抽出できません。");
}
UserMessage ExtractTargetIsFolder() {
    return refusal("抽出先がフォルダです。抽出できません。");
}
UserMessage ExtractOverCurrentFile() {
    return refusal("抽出先が現在の連結ファイルです。別のファイル名を指定してください。");
}
UserMessage ExtractFailed(int error) {
    return failure(withReason("ファイルの抽出に失敗しました。", error));
}
UserMessage Extracted() {
    return information("ファイルを抽出しました。");
}

} // namespace messages

std::string DescribeDamage(const WalkResult& w) {
    const std::string n = std::to_string(w.damagePattern);
    const std::string at = std::to_string(w.damageOffset);
    switch (w.damage) {
    case Damage::None:
        return {};
    case Damage::NotPuzzleData:
        return "このファイルは連結されたファイルではありません。";
    case Damage::TruncatedHeader:
        return "ファイルが短すぎます（ヘッダが途中で切れています）。";
    case Damage::TruncatedRecord:
        return "ﾊﾟﾀｰﾝ" + n + " のデータが途中で切れています（" + at + " バイト目）。";
    case Damage::PicturesPastEnd:
        return "ﾊﾟﾀｰﾝ" + n + " の画像がファイルの終わりを越えています。";
    case Damage::TrailingBytes:
        return "最後の画像の後に余分なデータがあります（" + at + " バイト目から）。";
    case Damage::TooManyRecords:
        return "ﾊﾟﾀｰﾝが 200 を超えています。";
    case Damage::ReadError:
        return "ファイルを読み込めません。";
    }
    return {};
}

std::string DescribeDamageEnglish(const WalkResult& w) {
    const std::string n = std::to_string(w.damagePattern);
    const std::string at = std::to_string(w.damageOffset);
    switch (w.damage) {
    case Damage::None:
        return {};
    case Damage::NotPuzzleData:
        return "not a puzzle data file (no \"ADX\" magic)";
    case Damage::TruncatedHeader:
        return "file is shorter than the 20-byte header";
    case Damage::TruncatedRecord:
        return "record of pattern " + n + " is cut off by the end of the file at offset " + at;
    case Damage::PicturesPastEnd:
        return "pictures of pattern " + n + " run past the end of the file (record at offset " +
               at + ")";
    case Damage::TrailingBytes:
        return "unexpected bytes after the last picture, from offset " + at;
    case Damage::TooManyRecords:
        return "more than 200 records";
    case Damage::ReadError:
        return "read error at offset " + at;
    }
    return {};
}

} // namespace pdt::puzzle
