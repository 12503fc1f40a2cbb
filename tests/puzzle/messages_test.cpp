#include "puzzle/messages.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace pdt::puzzle;
namespace m = pdt::puzzle::messages;

// The texts of saving as the user has always seen them; the others are checked where they
// are given (opening, extracting, failed saves).
TEST(Messages, TheFixedTexts) {
    const std::pair<UserMessage, UserMessage> cases[] = {
        {m::PictureUnreadable(12, 0),
         {"ﾊﾟﾀｰﾝ12 のパズル中のＣＧを読み込めません。保存できません。", "情報",
          MessageIcon::Error}},
        {m::PictureUnreadable(200, 1),
         {"ﾊﾟﾀｰﾝ200 の完成した時のＣＧを読み込めません。保存できません。", "情報",
          MessageIcon::Error}},
        {m::WriteFailed(9999),
         {"ファイルの書き込みに失敗しました。\nエラーが発生しました（エラー番号 9999）。", "確認",
          MessageIcon::Error}},
    };
    for (const auto& [got, expected] : cases)
        EXPECT_EQ(got, expected);
}
