#include "preview/picture_check.h"

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
                if (c.problem != expected || !c.decodes || c.complaint.empty() != !damaged ||
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

} // namespace
