// What the GUI thread pays for showing patterns of large pictures: today's synchronous way
// (decode both pictures, then paint) against the loader (header size at once, decodes on
// workers, finished surfaces cached). Both drive the same stand-in for the window's show
// step, built from real widgets painted offscreen: the pattern list, the piece-count box and
// the two preview frames. Run with no arguments.
#include "app/picture_refusal.h"
#include "app/preview_frames.h"
#include "pieces/piece_grids.h"
#include "preview/picture_decoder.h"
#include "preview/preview_loader.h"
#include "preview/preview_surfaces.h"

#include "old_preview.h"

#include "../tests/preview/test_pictures.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
#include <QListWidget>
#include <QLoggingCategory>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace pdt;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFrame = 140;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Pattern {
    puzzle::ImageSource puzzle;
    puzzle::ImageSource finished;
};

puzzle::ImageSource fileSource(const std::string& path) {
    return {puzzle::ImageSource::Kind::WholeFile, path, 0,
            std::int64_t(std::filesystem::file_size(path))};
}

// Times every event the GUI thread handles: their sum is the time it was busy, the longest
// is the longest that input had to wait.
class TimedApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        const auto start = Clock::now();
        const double cpu = threadCpuMs();
        const int type = event->type(); // the event may be gone afterwards
        const char* kind = receiver->metaObject()->className();
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        const double ms = msSince(start);
        busyMs_ += ms;
        const double cpuMs = threadCpuMs() - cpu;
        mostCpuMs_ = std::max(mostCpuMs_, cpuMs);
        if (ms > longestMs_) {
            longestMs_ = ms;
            longestCpuMs_ = cpuMs;
        }
        if (std::getenv("BENCH_LOADING_TRACE") && ms > 50)
            std::fprintf(stderr, "event %d to %s: %.1f ms, %.1f ms CPU\n", type, kind, ms,
                         threadCpuMs() - cpu);
        over50_ += ms > 50 ? 1 : 0;
        return handled;
    }
    void restart() {
        busyMs_ = longestMs_ = longestCpuMs_ = mostCpuMs_ = 0;
        over50_ = 0;
    }
    int over50() const { return over50_; }
    // The GUI thread's own CPU time in the longest event; far below its wall time, the
    // thread was waiting for a processor, not working.
    double longestCpuMs() const { return longestCpuMs_; }
    // The most GUI-thread CPU time any one event took: the GUI thread's own longest stall.
    double mostCpuMs() const { return mostCpuMs_; }
    double busyMs() const { return busyMs_; }
    double longestMs() const { return longestMs_; }

  private:
    int depth_ = 0;
    double busyMs_ = 0;
    double longestMs_ = 0;
    double longestCpuMs_ = 0;
    double mostCpuMs_ = 0;
    int over50_ = 0;
};

// The window's show step and paint, in miniature: the list, the piece-count box, two frame
// controls, and the previews painted under them from the two surfaces.
class StandIn : public QWidget {
  public:
    StandIn(std::vector<Pattern> patterns, bool useLoader)
        : patterns_(std::move(patterns)), useLoader_(useLoader) {
        resize(2 * kFrame + 200, 2 * kFrame + 60);
        list_ = new QListWidget(this);
        list_->setGeometry(0, 0, 150, 2 * kFrame + 40);
        for (size_t i = 0; i < patterns_.size(); ++i)
            list_->addItem(QString::asprintf("%3d ﾊﾟﾀｰﾝ", int(i + 1)));
        pieces_ = new QComboBox(this);
        pieces_->setGeometry(160, 2 * kFrame + 30, 100, 24);
        QFrame* frames[2];
        for (int slot : {0, 1}) {
            frames[slot] = new QFrame(this);
            frames[slot]->setFrameStyle(QFrame::Box | QFrame::Sunken);
            frames[slot]->setGeometry(160, 10 + slot * (kFrame + 10), kFrame, kFrame);
        }
        preview::measurePreviewFrames(surfaces_, frames[0]->geometry(), frames[1]->geometry());
        preview::createPreviewSurfaces(surfaces_, kFrame, kFrame);
        if (useLoader_)
            previewFrames_ =
                new app::PreviewFrames(loader_, surfaces_, this, {frames[0], frames[1]}, this);
        // As in the window: a selection change posts the show.
        connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
            QMetaObject::invokeMethod(
                this, [this, row] { showPattern(row); }, Qt::QueuedConnection);
        });
        list_->setCurrentRow(0);
        show();
    }

    QListWidget* list() { return list_; }
    preview::PreviewLoader& loader() { return loader_; }

    void showPattern(int i) {
        wanted_ = i;
        painted_ = false;
        const Pattern& p = patterns_[size_t(i)];
        if (useLoader_) {
            previewFrames_->show(0, p.puzzle);
            const QSize size = preview::pictureSizeOf(p.puzzle);
            fillPieceChoices(size.width(), size.height());
            previewFrames_->show(1, p.finished);
            const preview::SurfaceShape frame{preview::SurfaceLayout::Frame, QSize(kFrame, kFrame)};
            std::vector<preview::PreviewLoader::Request> around;
            for (int n : {i + 1, i - 1})
                if (n >= 0 && n < int(patterns_.size()))
                    for (const auto& source :
                         {patterns_[size_t(n)].puzzle, patterns_[size_t(n)].finished})
                        around.emplace_back(source, frame);
            loader_.prefetch(std::move(around));
        } else {
            preview::blankSurface(surfaces_.puzzleSurface);
            preview::blankSurface(surfaces_.finishedSurface);
            const bench::RenderResult r = bench::renderPreview(surfaces_, p.puzzle, 0);
            fillPieceChoices(r.decodedWidth, r.decodedHeight);
            bench::renderPreview(surfaces_, p.finished, 1);
            repaint();
        }
    }

    std::function<void()> onPainted;
    void forgetPainted() {
        painted_ = false;
        wanted_ = -1;
    }
    // The pattern asked for last has both its pictures on screen.
    bool painted() const { return painted_; }
    Clock::time_point paintedAt() const { return paintedAt_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        preview::paintPreviews(painter, surfaces_);
        const bool settled =
            !useLoader_ || (!previewFrames_->pending(0) && !previewFrames_->pending(1));
        if (wanted_ >= 0 && settled && !painted_) {
            painted_ = true;
            paintedAt_ = Clock::now();
            if (onPainted)
                onPainted();
        }
    }

  private:
    void fillPieceChoices(int w, int h) {
        pieces_->clear();
        const pieces::PieceChoices c = pieces::FillPieceChoices(table_, w, h);
        if (c.outcome == pieces::PieceChoices::Outcome::Accepted)
            for (int i = 0; i < c.count; ++i)
                pieces_->addItem(QString::number(table_[size_t(i)].pieceCount()));
    }

    std::vector<Pattern> patterns_;
    bool useLoader_;
    preview::PreviewLoader loader_;
    preview::PreviewSurfaces surfaces_;
    app::PreviewFrames* previewFrames_ = nullptr;
    QListWidget* list_ = nullptr;
    QComboBox* pieces_ = nullptr;
    pieces::PieceGridTable table_{};
    int wanted_ = -1;
    bool painted_ = false;
    Clock::time_point paintedAt_;
};

// Runs the event loop until `done`; a 2 ms timer wakes it to look. Not for timed parts.
void runUntil(const std::function<bool()>& done, double limitMs = 60000) {
    QTimer poke;
    poke.start(2);
    const auto start = Clock::now();
    while (!done() && msSince(start) < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs the event loop until a paint of the stand-in satisfies `done`. Nothing polls, so the
// GUI thread does only the work being timed.
void runUntilPainted(StandIn& w, const std::function<bool()>& done, int limitMs = 120000) {
    if (w.painted() && done())
        return;
    QEventLoop loop;
    w.onPainted = [&] {
        if (done())
            loop.quit();
    };
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    w.onPainted = nullptr;
}

// Until the shown pattern is painted and nothing, not even a decode ahead, is running.
void settle(StandIn& w, double ms = 300) {
    runUntil([&] { return w.painted() && w.loader().busyCount() == 0; });
    runUntil([] { return false; }, ms);
    runUntil([&] { return w.loader().busyCount() == 0; });
}

struct ShowFigures {
    double cpuMs = 0;     // GUI-thread CPU time from the key to both pictures painted
    double busyMs = 0;    // the same as wall time spent handling events
    double stallMs = 0;   // the longest single event: the longest that input waited
    double paintedMs = 0; // wall time from the key to both pictures painted
};

// One show of pattern i, posted as the list's selection change posts it, timed until painted.
ShowFigures timeShow(TimedApplication& app, StandIn& w, int i) {
    const auto start = Clock::now();
    const double cpu = threadCpuMs();
    app.restart();
    w.forgetPainted();
    QMetaObject::invokeMethod(
        &w, [&w, i] { w.showPattern(i); }, Qt::QueuedConnection);
    runUntilPainted(w, [] { return true; });
    return {threadCpuMs() - cpu, app.busyMs(), app.longestMs(),
            std::chrono::duration<double, std::milli>(w.paintedAt() - start).count()};
}

struct Medians {
    std::vector<double> cpu, busy, stall, painted;
    void add(const ShowFigures& f) {
        cpu.push_back(f.cpuMs);
        busy.push_back(f.busyMs);
        stall.push_back(f.stallMs);
        painted.push_back(f.paintedMs);
    }
};

// Patterns 0 and 1 alternate; `cold` empties the cache first, so every show decodes.
std::pair<Medians, Medians>
showSideBySide(TimedApplication& app, const std::vector<Pattern>& patterns, int rounds, bool cold) {
    StandIn today(patterns, false);
    StandIn loading(patterns, true);
    Medians a, b;
    settle(today);
    settle(loading);
    if (!cold) {
        loading.showPattern(1);
        settle(loading);
    }
    for (int n = 0; n < rounds; ++n) {
        const int i = n % 2;
        a.add(timeShow(app, today, i));
        if (cold)
            loading.loader().cache().clear();
        b.add(timeShow(app, loading, i));
        settle(loading, 50);
    }
    return {a, b};
}

struct StepFigures {
    double stallMs = 0;
    double stallCpuMs = 0;
    double mostCpuMs = 0;
    int over50 = 0;           // events that kept input waiting longer than 50 ms
    double lastPaintedMs = 0; // after the last key
};

// The arrow key held at 10 a second through every pattern: keys arrive on time whether or
// not the window keeps up, as they would from the keyboard.
StepFigures step(TimedApplication& app, const std::vector<Pattern>& patterns, bool useLoader) {
    StandIn w(patterns, useLoader);
    settle(w);
    std::atomic<bool> lastSent{false};
    Clock::time_point lastKey;
    std::vector<double> slices;
    app.restart();
    std::thread keys([&] {
        for (size_t n = 1; n < patterns.size(); ++n) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            lastKey = Clock::now();
            // Made on the GUI thread: a key event made elsewhere creates its input device there.
            QMetaObject::invokeMethod(
                w.list(),
                [list = w.list()] {
                    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                    QCoreApplication::sendEvent(list, &key);
                },
                Qt::QueuedConnection);
        }
        lastSent = true;
    });
    const int last = int(patterns.size()) - 1;
    runUntilPainted(w, [&] { return lastSent && w.list()->currentRow() == last; });
    keys.join();
    StepFigures f;
    f.stallMs = app.longestMs();
    f.stallCpuMs = app.longestCpuMs();
    f.mostCpuMs = app.mostCpuMs();
    f.over50 = app.over50();
    f.lastPaintedMs = std::chrono::duration<double, std::milli>(w.paintedAt() - lastKey).count();
    return f;
}

// libjpeg's own 1/8-scale decodes of both pictures, one after the other: the floor that
// the synchronous way pays on every show.
double floorMs(const Pattern& p) {
    std::vector<double> t;
    for (int n = 0; n < 5; ++n) {
        const auto start = Clock::now();
        for (const auto* s : {&p.puzzle, &p.finished}) {
            QImageReader reader(QString::fromStdString(s->file));
            const QSize full = reader.size();
            reader.setScaledSize(QSize((full.width() + 7) / 8, (full.height() + 7) / 8));
            const QImage img = reader.read();
            if (img.isNull())
                std::exit(1);
        }
        t.push_back(msSince(start));
    }
    return median(t);
}

std::string makeFile(const QTemporaryDir& dir, const std::string& name, const QByteArray& bytes) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    if (bytes.isEmpty() || !test::writeBytes(QString::fromStdString(path), bytes)) {
        std::fprintf(stderr, "cannot make %s\n", name.c_str());
        std::exit(1);
    }
    return path;
}

void row(const char* what, double today, double loader, const char* goal) {
    std::printf("  %-40s %10.1f %10.1f   %s\n", what, today, loader, goal);
}

} // namespace

int main(int argc, char** argv) {
    TimedApplication app(argc, argv);
    // A decode stopped half-way ends in the JPEG reader's complaint about missing data.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg.warning=false"));
    QTemporaryDir dir;
    std::fprintf(stderr, "making test pictures...\n");
    const QImage photo = test::photoLikePicture(6000, 4000);
    const QImage mirrored = photo.mirrored(true, false);
    const Pattern baseline{
        fileSource(makeFile(dir, "a.jpg", test::encodePicture(photo, "jpeg"))),
        fileSource(makeFile(dir, "b.jpg", test::encodePicture(mirrored, "jpeg")))};
    const Pattern progressive{
        fileSource(
            makeFile(dir, "ap.jpg", test::encodePicture(photo, "jpeg", {.progressive = true}))),
        fileSource(
            makeFile(dir, "bp.jpg", test::encodePicture(mirrored, "jpeg", {.progressive = true})))};
    // 50 patterns of their own pictures: links to the same two files, each its own identity.
    std::vector<Pattern> fifty;
    for (int i = 0; i < 50; ++i) {
        Pattern p;
        for (auto [target, from, tag] : {std::tuple{&p.puzzle, &baseline.puzzle, "p"},
                                         {&p.finished, &baseline.finished, "f"}}) {
            const std::string link =
                dir.filePath(QString::asprintf("%s%02d.jpg", tag, i)).toStdString();
            std::error_code error;
            std::filesystem::create_hard_link(from->file, link, error);
            if (error)
                std::filesystem::copy_file(from->file, link);
            *target = fileSource(link);
        }
        fifty.push_back(p);
    }

    // Pictures about to be attached are checked by a whole decode: one after the other on
    // the GUI thread as before, or on worker threads while the GUI thread waits and paints.
    std::fprintf(stderr, "checking pictures before attaching them...\n");
    std::vector<std::string> eight;
    for (int i = 0; i < 8; ++i)
        eight.push_back(fifty[size_t(i)].puzzle.file);
    std::vector<double> checkWall[2], checkCpu[2];
    for (int run = 0; run < 3; ++run)
        for (const bool workers : {false, true}) {
            const auto start = Clock::now();
            const double cpu = threadCpuMs();
            if (workers) {
                // The window waits in its event loop, painting, until the checks end.
                app::PictureCheckRun checks(app::checkJobs(eight), nullptr);
                QEventLoop wait;
                QObject::connect(&checks, &app::PictureCheckRun::finished, &wait,
                                 &QEventLoop::quit);
                wait.exec();
            } else
                for (const std::string& file : eight)
                    (void)app::checkPicture(file);
            checkWall[workers].push_back(msSince(start));
            checkCpu[workers].push_back(threadCpuMs() - cpu);
        }

    const std::vector<Pattern> baselinePair = {baseline, {fifty[0].puzzle, fifty[0].finished}};
    const std::vector<Pattern> progressivePair = {progressive, progressive};
    std::fprintf(stderr, "showing patterns...\n");
    const auto [coldToday, coldLoader] = showSideBySide(app, baselinePair, 8, true);
    const auto [progToday, progLoader] = showSideBySide(app, progressivePair, 4, true);
    const auto [warmToday, warmLoader] = showSideBySide(app, baselinePair, 20, false);
    std::fprintf(stderr, "stepping through 50 patterns...\n");
    // The loader's runs, and the floor, three times over, between the runs: this machine is
    // shared, and its load comes and goes.
    const StepFigures stepToday = step(app, fifty, false);
    std::vector<double> floors{floorMs(baseline)};
    std::vector<double> lastPainted;
    StepFigures stepLoader;
    for (int run = 0; run < 3; ++run) {
        const StepFigures f = step(app, fifty, true);
        floors.push_back(floorMs(baseline));
        lastPainted.push_back(f.lastPaintedMs);
        if (f.stallMs > stepLoader.stallMs) {
            stepLoader.stallMs = f.stallMs;
            stepLoader.stallCpuMs = f.stallCpuMs;
        }
        stepLoader.over50 += f.over50;
        stepLoader.mostCpuMs = std::max(stepLoader.mostCpuMs, f.mostCpuMs);
    }
    stepLoader.lastPaintedMs = median(lastPainted);
    const double floor = median(floors);

    std::printf("\nShowing patterns of 24-megapixel JPEGs in %dx%d frames, medians, ms\n", kFrame,
                kFrame);
    std::printf("  %-40s %10s %10s\n", "", "today", "loader");
    const auto show = [](const char* what, const Medians& a, const Medians& b, const char* goal) {
        std::printf("%s\n", what);
        row("GUI-thread CPU time until painted", median(a.cpu), median(b.cpu), goal);
        row("GUI-thread busy (wall) until painted", median(a.busy), median(b.busy), "");
        row("longest wait for input", median(a.stall), median(b.stall), "");
        row("key to both pictures painted", median(a.painted), median(b.painted), "");
    };
    show("two baseline JPEGs, not seen before", coldToday, coldLoader, "goal: loader under 16");
    show("two progressive JPEGs, not seen before", progToday, progLoader, "goal: loader under 16");
    std::printf("two baseline JPEGs, seen a moment before\n");
    row("key to both pictures painted", median(warmToday.painted), median(warmLoader.painted),
        "goal: loader under 5");
    row("GUI-thread CPU time until painted", median(warmToday.cpu), median(warmLoader.cpu), "");
    std::printf("stepping through 50 patterns at 10 keys a second (loader: worst or total of "
                "3 runs, median for the last pattern)\n");
    row("longest wait for input", stepToday.stallMs, stepLoader.stallMs, "goal: loader under 50");
    row("  its own GUI-thread CPU time", stepToday.stallCpuMs, stepLoader.stallCpuMs, "");
    row("most GUI-thread CPU time in one event", stepToday.mostCpuMs, stepLoader.mostCpuMs, "");
    row("events that kept input waiting > 50 ms", stepToday.over50, stepLoader.over50, "");
    char goal[64];
    std::snprintf(goal, sizeof goal, "goal: loader within the floor, %.1f", floor);
    row("last key to its pictures painted", stepToday.lastPaintedMs, stepLoader.lastPaintedMs,
        goal);
    std::printf("(floor: libjpeg's 1/8-scale decode of both pictures, one after the other)\n");

    std::printf("checking 8 pictures of 24 megapixels before attaching them, median of 3 "
                "(today: one after the other on the GUI thread; loader: PictureCheckRun)\n");
    row("time until all are checked", median(checkWall[0]), median(checkWall[1]), "");
    row("GUI-thread CPU time meanwhile", median(checkCpu[0]), median(checkCpu[1]), "");

    const auto verdict = [](const char* goal, bool met) {
        std::printf("  %-62s %s\n", goal, met ? "met" : "NOT met");
    };
    std::printf("goals of the loader\n");
    verdict("GUI-thread time under 16 ms for a pattern not seen before",
            median(coldLoader.cpu) < 16 && median(progLoader.cpu) < 16);
    verdict("under 5 ms to painted frames for a pattern seen before",
            median(warmLoader.painted) < 5);
    verdict("no wait for input over 50 ms while stepping (wall time)", stepLoader.stallMs < 50);
    verdict("no event over 50 ms of GUI-thread CPU time while stepping", stepLoader.mostCpuMs < 50);
    verdict("last pattern painted within the floor after the last key",
            stepLoader.lastPaintedMs <= floor);
    return 0;
}
