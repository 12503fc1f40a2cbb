#include "puzzle/messages.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

using namespace pdt::puzzle;
namespace m = pdt::puzzle::messages;

// The texts the user has always seen, exactly, with caption and icon (those of opening
// and extracting are checked where they are given).
TEST(Messages, TheFixedTexts) {
    const std::pair<UserMessage, UserMessage> cases[] = {
        {m::PatternWithoutPicture(3),
         {"ﾊﾟﾀｰﾝ3 のＣＧが抜けています。保存できません。", "情報", MessageIcon::Error}},
        {m::PictureUnreadable(12, 0),
         {"ﾊﾟﾀｰﾝ12 のパズル中のＣＧを読み込めません。保存できません。", "情報",
          MessageIcon::Error}},
        {m::PictureUnreadable(200, 1),
         {"ﾊﾟﾀｰﾝ200 の完成した時のＣＧを読み込めません。保存できません。", "情報",
          MessageIcon::Error}},
        {m::CreateFailed(), {"ファイルの作成に失敗しました。", "確認", MessageIcon::Error}},
        {m::Saved(), {"ファイルを保存しました。", "情報", MessageIcon::None}},
    };
    for (const auto& [got, expected] : cases)
        EXPECT_EQ(got, expected);
}

TEST(Messages, WriteFailuresCarryTheirReason) {
    // Each common cause reads differently; an unknown one still gives its number. The texts
    // of a failed save are checked where it fails (save_faults_test.cpp).
    std::set<std::string> reasons;
    for (const int e : {ENOSPC, EDQUOT, EFBIG, EACCES, EROFS, EIO, ENOENT, EISDIR, ENAMETOOLONG,
                        EBUSY, EEXIST, ELOOP, EMFILE})
        reasons.insert(m::IoErrorReason(e));
    EXPECT_EQ(reasons.size(), 13u);
    EXPECT_EQ(m::IoErrorReason(EACCES), m::IoErrorReason(EPERM));
    EXPECT_NE(m::IoErrorReason(9999).find("9999"), std::string::npos);
}
