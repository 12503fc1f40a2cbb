#include "preview/picture_check.h"

#include "preview/odd_pictures.h"
#include "preview/test_pictures.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <thread>
#include <vector>

using namespace pdt::preview;
using namespace pdt::test;

namespace {

// The program's own handler, installed before the first check as the checks require.
std::atomic<int> passedOn{0};
const QtMessageHandler kBefore = qInstallMessageHandler(
    [](QtMsgType, const QMessageLogContext&, const QString&) { ++passedOn; });

// Several threads check clean and cut-short pictures at once: each check gets the
// complaints of its own decode and no other, and messages outside any check still reach
// the handler that was installed before. Pictures too large or of no known kind are
// checked through adxtool (pack_command_test.cpp, verify_command_test.cpp).
TEST(PictureChecks, TellADamagedPictureByItsOwnComplaintsOnEveryThread) {
    QTemporaryDir dir;
    const QByteArray jpeg = encodePicture(photoLikePicture(640, 480), "jpeg");
    const QString good = dir.filePath("good.jpg");
    const QString cut = dir.filePath("cut.jpg");
    ASSERT_TRUE(writeBytes(good, jpeg));
    ASSERT_TRUE(writeBytes(cut, jpeg.left(jpeg.size() / 2)));
    pdt::puzzle::MemoryByteSource goodRange(
        std::span(reinterpret_cast<const std::uint8_t*>(jpeg.constData()), size_t(jpeg.size())));
    const int before = passedOn;

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 15; ++i) {
                // A JPEG cut short decodes, its missing part grey, and is damaged.
                const bool damaged = (t + i) % 2 == 0;
                const PictureCheck c = damaged  ? checkPictureFile(cut.toStdString())
                                       : t == 0 ? checkPictureRange(goodRange, 0, jpeg.size())
                                                : checkPictureFile(good.toStdString());
                const PictureProblem expected =
                    damaged ? PictureProblem::Damaged : PictureProblem::None;
                if (c.problem != expected || !c.decodes || c.warnings.kinds.empty() != !damaged ||
                    QSize(c.width, c.height) != QSize(640, 480))
                    ++wrong;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(passedOn, before);
    qWarning("outside a check");
    EXPECT_EQ(passedOn, before + 1);
}

// Each oddity, made from a generated picture, gives the kinds of warning it is known for and
// the verdict they call for, or says what kind of picture the decoder does not read, from
// its file and from a range of a larger file alike.
void expectVerdicts(bool wholeAccount) {
    QTemporaryDir dir;
    for (const OddPicture& odd : oddPictures()) {
        if (odd.wholeAccount != wholeAccount)
            continue;
        SCOPED_TRACE(odd.name);
        const QString file = dir.filePath(QString::fromStdString(odd.name));
        ASSERT_TRUE(writeBytes(file, odd.bytes));
        const QByteArray padded = QByteArray(37, 'x') + odd.bytes + QByteArray(11, 'y');
        pdt::puzzle::MemoryByteSource range(std::span(
            reinterpret_cast<const std::uint8_t*>(padded.constData()), size_t(padded.size())));
        for (const PictureCheck& c : {checkPictureFile(file.toStdString()),
                                      checkPictureRange(range, 37, odd.bytes.size())}) {
            EXPECT_EQ(c.ok(), odd.accepted);
            EXPECT_EQ(c.decodes, odd.unreadable.kind == UnreadableKind::None);
            EXPECT_EQ(c.warnings.kinds, odd.kinds);
            EXPECT_EQ(c.unreadable, odd.unreadable);
        }
    }
}

TEST(PictureChecks, AcceptWhatDecodesWholeAndRefuseWhatTheDecoderMadeUp) {
    expectVerdicts(false);
}

TEST(PictureChecks, HearEveryWarningOfAJpegBehindAHarmlessFirstOne) {
    expectVerdicts(true);
}

} // namespace
