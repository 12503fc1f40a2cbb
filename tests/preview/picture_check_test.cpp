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

class PictureChecks : public ::testing::Test {
  protected:
    std::string write(const QString& name, const QByteArray& bytes) {
        const QString p = dir.filePath(name);
        EXPECT_TRUE(writeBytes(p, bytes));
        return p.toStdString();
    }
    QTemporaryDir dir;
    const QByteArray jpeg = encodePicture(photoLikePicture(640, 480), "jpeg");
    const QByteArray cutShort = jpeg.left(jpeg.size() / 2);
};

TEST_F(PictureChecks, GiveTheProblemAndTheStoredSize) {
    const struct {
        const char* what;
        std::string path;
        PictureProblem problem;
        bool decodes;
        QSize size;
    } cases[] = {
        {"clean", write("good.jpg", jpeg), PictureProblem::None, true, {640, 480}},
        {"cut short", write("cut.jpg", cutShort), PictureProblem::Damaged, true, {640, 480}},
        {"too large",
         write("huge.jpg", claimingSize(jpeg, 20000, 30000)),
         PictureProblem::TooLarge,
         false,
         {20000, 30000}},
        {"no picture", write("text.jpg", "no picture"), PictureProblem::UnknownKind, false, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureCheck check = checkPictureFile(c.path);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(check.decodes, c.decodes);
        EXPECT_EQ(QSize(check.width, check.height), c.size);
        EXPECT_EQ(check.complaint.empty(), c.problem != PictureProblem::Damaged) << check.complaint;
    }
}

// Several threads check at once: each gets the complaints of its own decode and no other,
// and messages outside any check still reach the handler that was installed before.
TEST_F(PictureChecks, ComplaintsStayWithTheThreadThatDecodes) {
    const int before = passedOn;
    const std::string good = write("good.jpg", jpeg);
    const std::string cut = write("cut.jpg", cutShort);
    pdt::puzzle::MemoryByteSource goodRange(
        std::span(reinterpret_cast<const std::uint8_t*>(jpeg.constData()), size_t(jpeg.size())));

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 15; ++i) {
                const bool damaged = (t + i) % 2 == 0;
                const PictureCheck c = damaged  ? checkPictureFile(cut)
                                       : t == 0 ? checkPictureRange(goodRange, 0, jpeg.size())
                                                : checkPictureFile(good);
                if (c.complaint.empty() == damaged || !c.decodes)
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
