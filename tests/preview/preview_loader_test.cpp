// The loader: decodes off the GUI thread, answers only the request still wanted, caches by
// picture identity under its cap, and stops or drops what nobody wants any more.

#include "preview/preview_loader.h"

#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

using namespace pdt;
using namespace pdt::preview;
using pdt::test::TempDir;

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "test_preview_loader";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Each picture decodes to a solid colour of its own (from its file name's first letter),
// but only once the test releases it. `honoursCancel` false makes a decoder that cannot stop
// and hands in a good picture however late.
class HeldDecoder {
  public:
    explicit HeldDecoder(bool honoursCancel = true) : honoursCancel_(honoursCancel) {}

    DecodeFunction function() {
        return [this](const puzzle::ImageSource& s, const WantedSize& wanted,
                      const CancelFlag& cancelled) -> DecodedPicture {
            const std::string name = std::filesystem::path(s.file).filename().string();
            std::unique_lock lock(mutex_);
            started_.push_back(name);
            while (!released_.count(name)) {
                if (honoursCancel_ && cancelled) {
                    stopped_.insert(name);
                    return {};
                }
                changed_.wait_for(lock, std::chrono::milliseconds(2));
            }
            const QSize stored(400, 300);
            QImage pixels(wanted(stored), QImage::Format_RGB32);
            pixels.fill(colourOf(name));
            return {stored.width(), stored.height(), pixels};
        };
    }
    void release(const std::string& name) {
        std::lock_guard lock(mutex_);
        released_.insert(name);
        changed_.notify_all();
    }
    std::vector<std::string> started() {
        std::lock_guard lock(mutex_);
        return started_;
    }
    bool stopped(const std::string& name) {
        std::lock_guard lock(mutex_);
        return stopped_.count(name) != 0;
    }
    static QRgb colourOf(const std::string& name) {
        return qRgb((name[0] * 37) & 255, (name[0] * 91) & 255, (name[0] * 13) & 255);
    }

  private:
    bool honoursCancel_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::string> released_;
    std::vector<std::string> started_;
    std::set<std::string> stopped_;
};

class Loader : public testing::Test {
  protected:
    void SetUp() override { app(); }

    // A picture file: its bytes only matter for its identity, the decode is the test's.
    puzzle::ImageSource picture(const std::string& name, const std::string& bytes = "x") {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return {puzzle::ImageSource::Kind::WholeFile, dir / name, 0, std::int64_t(bytes.size())};
    }

    static constexpr SurfaceShape kFrame{SurfaceLayout::Frame, QSize(140, 140)};
    TempDir dir;
};

// What one channel (a frame) received, as the colour at its centre (0 for no picture).
struct Received {
    std::vector<QRgb> colours;
    void connectTo(SurfaceChannel& channel) {
        QObject::connect(&channel, &SurfaceChannel::ready, [this](const PictureSurface& s) {
            colours.push_back(s.hasPicture() ? s.image.pixel(70, 70) & 0xFFFFFFu : 0);
        });
    }
};

TEST_F(Loader, ALateDecodeNeverLandsInAFrameThatHasMovedOn) {
    // Pattern A shows a0 and a1, then the author moves to pattern B (b0, b1) while A's
    // decodes are held back; they are released in every order that matters.
    const std::vector<std::vector<std::string>> orders = {
        {"a0", "a1", "b0", "b1"}, {"b0", "b1", "a0", "a1"}, {"b1", "a0", "b0", "a1"}};
    for (const bool honoursCancel : {true, false}) {
        for (const auto& order : orders) {
            SCOPED_TRACE((honoursCancel ? "stoppable " : "unstoppable ") + order[0] + order[2]);
            HeldDecoder decoder(honoursCancel);
            PreviewLoader loader(decoder.function(), 4);
            SurfaceChannel frame0(loader), frame1(loader);
            Received got0, got1;
            got0.connectTo(frame0);
            got1.connectTo(frame1);

            EXPECT_FALSE(frame0.show(picture("a0"), kFrame));
            EXPECT_FALSE(frame1.show(picture("a1"), kFrame));
            ASSERT_TRUE(waitUntil([&] { return decoder.started().size() == 2; }));
            frame0.show(picture("b0"), kFrame);
            frame1.show(picture("b1"), kFrame);
            // A stoppable decode stops before it is released; the other hands in late.
            if (honoursCancel) {
                ASSERT_TRUE(
                    waitUntil([&] { return decoder.stopped("a0") && decoder.stopped("a1"); }));
            }
            for (const std::string& name : order) {
                decoder.release(name);
                QCoreApplication::processEvents();
            }
            ASSERT_TRUE(waitUntil([&] { return loader.busyCount() == 0; }));
            EXPECT_EQ(got0.colours, std::vector<QRgb>{HeldDecoder::colourOf("b0") & 0xFFFFFFu});
            EXPECT_EQ(got1.colours, std::vector<QRgb>{HeldDecoder::colourOf("b1") & 0xFFFFFFu});
        }
    }
}

// Stopping a running decode is checked above. b is stopped for c, and c superseded at once
// by b again: whether or not c got the worker meanwhile, it never lands, and b's stopped
// decode is not taken for no picture. A cancelled channel hears nothing more.
TEST_F(Loader, AStoppedDecodeIsNoAnswerAndACancelledChannelHearsNothing) {
    HeldDecoder decoder;
    PreviewLoader loader(decoder.function(), 1);
    SurfaceChannel frame(loader);
    Received got;
    got.connectTo(frame);
    frame.show(picture("b"), kFrame);
    ASSERT_TRUE(waitUntil([&] { return decoder.started().size() == 1; }));
    frame.show(picture("c"), kFrame);
    ASSERT_TRUE(waitUntil([&] { return decoder.stopped("b"); }));
    frame.show(picture("b"), kFrame);
    decoder.release("c");
    decoder.release("b");
    ASSERT_TRUE(waitUntil([&] { return !got.colours.empty() && loader.busyCount() == 0; }));
    EXPECT_EQ(decoder.started().back(), "b");
    EXPECT_EQ(got.colours, std::vector<QRgb>{HeldDecoder::colourOf("b") & 0xFFFFFFu});

    frame.show(picture("e"), kFrame);
    frame.cancel();
    decoder.release("e");
    ASSERT_TRUE(waitUntil([&] { return loader.busyCount() == 0; }));
    EXPECT_EQ(got.colours.size(), 1u);
}

TEST_F(Loader, APictureSeenBeforeIsAnsweredAtOnceUntilItsFileChanges) {
    HeldDecoder decoder;
    for (const char* name : {"p", "q"})
        decoder.release(name);
    PreviewLoader loader(decoder.function(), 2);
    SurfaceChannel frame(loader);
    Received got;
    got.connectTo(frame);

    const puzzle::ImageSource p = picture("p", "one");
    EXPECT_FALSE(frame.show(p, kFrame));
    ASSERT_TRUE(waitUntil([&] { return got.colours.size() == 1; }));
    EXPECT_TRUE(frame.show(p, kFrame)); // the same bytes: no decode
    EXPECT_EQ(got.colours.size(), 2u);
    const puzzle::ImageSource rewritten = picture("p", "longer");
    EXPECT_FALSE(frame.show(rewritten, kFrame));
    ASSERT_TRUE(waitUntil([&] { return got.colours.size() == 3; }));
    // Another size of the same picture is another surface.
    EXPECT_FALSE(loader.load(rewritten, {SurfaceLayout::Fitted, QSize(50, 50)}).surface);
    ASSERT_TRUE(waitUntil([&] { return loader.busyCount() == 0; }));
    // No picture at all is answered at once, without a decode.
    EXPECT_TRUE(frame.show({}, kFrame));
    EXPECT_TRUE(frame.show({puzzle::ImageSource::Kind::WholeFile, dir / "gone", 0, 9}, kFrame));
    EXPECT_EQ(decoder.started(), (std::vector<std::string>{"p", "p", "p"}));
    EXPECT_EQ(got.colours.back(), 0u);

    // Decoding ahead waits until nothing else is wanted, then fills the cache.
    const puzzle::ImageSource q = picture("q");
    loader.prefetch({{q, kFrame}});
    ASSERT_TRUE(waitUntil([&] { return loader.cached(q, kFrame).has_value(); }));
    EXPECT_TRUE(frame.show(q, kFrame));
}

TEST(PictureCache, IdentityCoversTheFileItsStateAndTheRange) {
    TempDir dir;
    const std::string file = dir / "set.ADX";
    std::ofstream(file, std::ios::binary) << std::string(1000, 'x');
    const auto range = [&](std::int64_t offset, std::int64_t size) {
        return identifyPicture({puzzle::ImageSource::Kind::CurrentFileRange, file, offset, size});
    };
    const auto first = range(100, 200);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->fileSize, 1000);
    EXPECT_EQ(range(100, 200), first);
    EXPECT_NE(range(300, 200), first);
    EXPECT_NE(range(100, 201), first);
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                               std::chrono::seconds(2));
    EXPECT_NE(range(100, 200), first); // saved again: the same range may hold other bytes
    EXPECT_FALSE(range(0, 0));
    EXPECT_FALSE(identifyPicture({puzzle::ImageSource::Kind::WholeFile, dir / "gone", 0, 5}));
    EXPECT_FALSE(identifyPicture({}));
}

// Under its cap the cache drops the surface used least recently first; knowing that a
// picture is none is kept at a small cost; a surface larger than the cap is not kept.
TEST(PictureCache, DropsTheLeastRecentlyUsedOnceItsPixelsPassTheCap) {
    const auto key = [](int n) {
        return SurfaceKey{{"p" + std::to_string(n), 1, 1, 0, 1}, {SurfaceLayout::Frame, {64, 64}}};
    };
    const auto surface = [](int side) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::red);
        return PictureSurface{image, {side, side}};
    };
    const qsizetype one = surface(64).image.sizeInBytes();
    PictureCache cache(3 * one + 3 * 1024); // three surfaces and their bookkeeping
    for (int n = 0; n < 3; ++n)
        cache.insert(key(n), surface(64));
    EXPECT_TRUE(cache.find(key(0))); // 0 is now used more recently than 1
    cache.insert(key(3), surface(64));
    EXPECT_FALSE(cache.find(key(1)));
    for (const int kept : {0, 2, 3})
        EXPECT_TRUE(cache.find(key(kept))) << kept;
    cache.insert(key(4), PictureSurface{}); // no picture: kept beside the rest
    EXPECT_TRUE(cache.find(key(4)));
    EXPECT_FALSE(cache.find(key(4))->hasPicture());
    cache.insert(key(5), surface(256));
    EXPECT_FALSE(cache.find(key(5)));
    EXPECT_TRUE(cache.find(key(3)));
}

} // namespace
