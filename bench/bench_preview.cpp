// How long drawing a picture into a preview surface takes, against decoding it in full and
// scaling it down afterwards, and how much memory showing a pattern of two large JPEGs
// needs. Run with no arguments; the test pictures are made in a temporary folder first.
#include "preview/picture_check.h"
#include "preview/picture_decoder.h"
#include "preview/preview_surfaces.h"

#include "old_preview.h"

#include "../tests/preview/test_pictures.h"

#include <benchmark/benchmark.h>

#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

using namespace pdt::preview;
using pdt::bench::renderPreview;
using namespace pdt::test;

namespace {

constexpr int kFrame = 140;

struct Picture {
    std::string name;
    std::string path;
    std::int64_t size = 0;
};

Picture makePicture(const QTemporaryDir& dir, const std::string& name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromStdString(name));
    if (bytes.isEmpty() || !writeBytes(path, bytes)) {
        std::fprintf(stderr, "cannot make %s\n", name.c_str());
        std::exit(1);
    }
    return {name, path.toStdString(), bytes.size()};
}

// A 2000 x 2000 picture of at most 128 colours, as a GIF must be.
QImage palettePicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    unsigned noise = 99;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int i = ((x >> 4) + (y >> 4) * 5 + int(noise >> 30)) & 127;
            line[x] = qRgb(i * 2, 255 - i * 2, (i * 37) & 255);
        }
    }
    return img;
}

// The straightforward way: the whole picture decoded at full size, then scaled with the
// cheapest resampling and drawn.
void naiveRender(PreviewSurface& target, const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAllocationLimit(0);
    reader.setAutoTransform(false);
    const QImage full = reader.read();
    const PreviewGeometry g = previewGeometry(kFrame, kFrame, full.width(), full.height());
    const QImage scaled = full.scaled(g.dw, g.dh, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    target.image.fill(Qt::white);
    QPainter painter(&target.image);
    painter.drawImage(g.dx, g.dy, scaled);
}

// libjpeg's own 1/8-scale decode and nothing else: no JPEG path can be faster.
void eighthScaleDecode(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    const QSize full = reader.size();
    reader.setScaledSize(QSize((full.width() + 7) / 8, (full.height() + 7) / 8));
    benchmark::DoNotOptimize(reader.read());
}

WantedSize previewSize() {
    return [](QSize stored) {
        const PreviewGeometry g = previewGeometry(kFrame, kFrame, stored.width(), stored.height());
        return QSize(std::max(g.dw, 1), std::max(g.dh, 1));
    };
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0 && line[n] == ':')
            return std::stol(line.substr(n + 1));
    return -1;
}

// Run in a fresh process so that nothing the other benchmarks allocated and freed is
// already resident: shows a pattern of two pictures and prints the peak resident memory
// above the baseline, in kB. The baseline is taken after a small picture has been shown,
// so loading the decoder plugins is not counted.
// With "naive", the same through naiveRender, to show what the probe would catch. With
// "hostile", both pictures are decoded for a preview, in full and through the check, and
// need not give a picture: the memory they take is the figure.
int peakMemoryProbe(const std::string& how, const char* warmUp, const char* puzzle,
                    const char* finished) {
    PreviewSurfaces surfaces;
    createPreviewSurfaces(surfaces, kFrame, kFrame);
    renderPreview(surfaces, warmUp, "", 0, 1, 0);
    naiveRender(surfaces.puzzleSurface, warmUp);
    const long baseline = statusKb("VmRSS");
    std::ofstream("/proc/self/clear_refs") << "5"; // resets VmHWM to the current VmRSS
    if (how == "naive") {
        naiveRender(surfaces.puzzleSurface, puzzle);
        naiveRender(surfaces.finishedSurface, finished);
    } else if (how == "hostile") {
        for (const char* path : {puzzle, finished}) {
            benchmark::DoNotOptimize(decodePictureFile(path, previewSize()));
            benchmark::DoNotOptimize(decodePictureFile(path));
            benchmark::DoNotOptimize(checkPictureFile(path));
        }
    } else if (renderPreview(surfaces, puzzle, "", 0, 1, 0).decodedWidth == 0 ||
               renderPreview(surfaces, finished, "", 0, 1, 1).decodedWidth == 0) {
        return 1;
    }
    const long peak = statusKb("VmHWM");
    if (baseline < 0 || peak < 0)
        return 1;
    std::printf("%ld\n", peak - baseline);
    return 0;
}

long runPeakMemoryProbe(const std::string& how, const std::string& warmUp, const Picture& a,
                        const Picture& b) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return -1;
    std::string command = "'";
    for (const std::string& part : {std::string(self) + "' --peak-memory-probe " + how + " '",
                                    warmUp + "' '", a.path + "' '", b.path + "'"})
        command += part;
    FILE* out = popen(command.c_str(), "r");
    if (!out)
        return -1;
    long kb = -1;
    if (std::fscanf(out, "%ld", &kb) != 1)
        kb = -1;
    return pclose(out) == 0 ? kb : -1;
}

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Way {
    std::string name;
    std::function<void()> run;
};

// The ways of one job, taken in turn within every iteration, so that load from other
// processes on this shared machine falls on all of them alike. Each way's median CPU time
// of the whole process (threads Qt starts for scaling included) becomes a counter, in ms.
void sideBySide(benchmark::State& state, const std::vector<Way>& ways) {
    std::vector<std::vector<double>> times(ways.size());
    for (auto _ : state)
        for (size_t i = 0; i < ways.size(); ++i) {
            const double start = processCpuMs();
            ways[i].run();
            times[i].push_back(processCpuMs() - start);
        }
    for (size_t i = 0; i < ways.size(); ++i) {
        auto& t = times[i];
        std::sort(t.begin(), t.end());
        state.counters[ways[i].name] = t.empty() ? 0.0 : t[t.size() / 2];
    }
}

// Keeps the counters, so the goals can be checked at the end of the same run.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    SummaryReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            for (const auto& [name, counter] : run.counters)
                counters[run.run_name.function_name + " " + name] = counter.value;
        ConsoleReporter::ReportRuns(runs);
    }
    double operator()(const std::string& benchmark, const std::string& counter) {
        const auto it = counters.find(benchmark + " " + counter);
        return it == counters.end() ? 0.0 : it->second;
    }

  private:
    std::map<std::string, double> counters;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "--peak-memory-probe") == 0)
        return peakMemoryProbe(argv[2], argv[3], argv[4], argv[5]);

    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    std::fprintf(stderr, "making test pictures...\n");
    const QImage photo = photoLikePicture(6000, 4000);
    const Picture jpeg24 = makePicture(dir, "jpeg_6000x4000", encodePicture(photo, "jpeg"));
    const Picture progressive = makePicture(dir, "jpeg_6000x4000_progressive",
                                            encodePicture(photo, "jpeg", {.progressive = true}));
    const Picture bmp = makePicture(dir, "bmp_6000x4000", encodePicture(photo, "bmp"));
    const Picture jpeg24b = makePicture(dir, "jpeg_6000x4000_second",
                                        encodePicture(photo.mirrored(true, false), "jpeg"));
    const Picture jpeg2 =
        makePicture(dir, "jpeg_1600x1200", encodePicture(photoLikePicture(1600, 1200), "jpeg"));
    const Picture gif = makePicture(dir, "gif_2000x2000", gifBytes({palettePicture(2000, 2000)}));
    const Picture small =
        makePicture(dir, "small.jpg", encodePicture(quadrantPicture(64, 48), "jpeg"));
    std::fprintf(stderr, "24-megapixel baseline JPEG: %lld bytes\n", (long long)jpeg24.size);

    const std::vector<Picture> kinds = {jpeg24, progressive, jpeg2, bmp, gif};
    auto surfaces = std::make_shared<PreviewSurfaces>();
    createPreviewSurfaces(*surfaces, kFrame, kFrame);

    for (const Picture& p : kinds) {
        const std::vector<Way> ways = {
            {"render_ms", [=] { renderPreview(*surfaces, p.path, "", 0, p.size, 0); }},
            {"naive_ms", [=] { naiveRender(surfaces->puzzleSurface, p.path); }},
            {"smooth_ms",
             [=] { benchmark::DoNotOptimize(decodePictureFile(p.path, previewSize())); }},
            {"nearest_ms",
             [=] {
                 benchmark::DoNotOptimize(
                     decodePictureFile(p.path, previewSize(), Sampling::Nearest));
             }},
        };
        benchmark::RegisterBenchmark(("Render/" + p.name).c_str(),
                                     [ways](benchmark::State& state) { sideBySide(state, ways); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(5.0);
    }

    const std::vector<Way> pattern = {
        {"pattern_ms",
         [=] {
             blankSurface(surfaces->puzzleSurface);
             blankSurface(surfaces->finishedSurface);
             renderPreview(*surfaces, jpeg24.path, "", 0, 1, 0);
             renderPreview(*surfaces, jpeg24b.path, "", 0, 1, 1);
         }},
        {"floor_ms",
         [=] {
             eighthScaleDecode(jpeg24.path);
             eighthScaleDecode(jpeg24b.path);
         }},
        {"naive_ms",
         [=] {
             naiveRender(surfaces->puzzleSurface, jpeg24.path);
             naiveRender(surfaces->finishedSurface, jpeg24b.path);
         }},
    };
    benchmark::RegisterBenchmark("ShowPattern/two_24MP_jpeg",
                                 [pattern](benchmark::State& state) { sideBySide(state, pattern); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(10.0);

    benchmark::RegisterBenchmark("SizeOnly/jpeg_6000x4000", [=](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(pictureSizeOfFile(jpeg24.path));
    })->Unit(benchmark::kMicrosecond);

    for (const std::string how : {"preview", "naive"}) {
        const std::string name = how == "naive" ? "PeakMemory/NaivePattern_two_24MP_jpeg"
                                                : "PeakMemory/ShowPattern_two_24MP_jpeg";
        benchmark::RegisterBenchmark(
            name.c_str(),
            [=](benchmark::State& state) {
                long kb = -1;
                for (auto _ : state)
                    kb = runPeakMemoryProbe(how, small.path, jpeg24, jpeg24b);
                if (kb < 0)
                    state.SkipWithError("the memory probe failed");
                state.counters["peak_MB_above_baseline"] = double(kb) / 1024;
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }

    // Headers of a 64 x 48 picture claiming what would take gigabytes to decode.
    const QImage tiny = quadrantPicture(64, 48);
    const QByteArray progressiveTiny = encodePicture(tiny, "jpeg", {.progressive = true});
    const std::vector<Picture> hostile = {
        makePicture(dir, "progressive_jpeg_65000x65000",
                    claimingSize(progressiveTiny, 65000, 65000)),
        makePicture(dir, "progressive_jpeg_16000x16000",
                    claimingSize(progressiveTiny, 16000, 16000)),
        makePicture(dir, "baseline_jpeg_65000x65000",
                    claimingSize(encodePicture(tiny, "jpeg"), 65000, 65000)),
        // Within the limits: decoded at 1/8 scale for a preview, refused in full.
        makePicture(dir, "baseline_jpeg_20000x20000",
                    claimingSize(encodePicture(tiny, "jpeg"), 20000, 20000)),
        makePicture(dir, "progressive_jpeg_12000x9000", claimingSize(progressiveTiny, 12000, 9000)),
        makePicture(dir, "bmp_16000x16000", claimingSize(encodePicture(tiny, "bmp"), 16000, 16000)),
        makePicture(dir, "gif_65535x65535", claimingSize(gifBytes({tiny}), 65535, 65535)),
    };
    for (const Picture& p : hostile)
        benchmark::RegisterBenchmark(("PeakMemory/Hostile_" + p.name).c_str(),
                                     [=](benchmark::State& state) {
                                         long kb = -1;
                                         for (auto _ : state)
                                             kb = runPeakMemoryProbe("hostile", small.path, p, p);
                                         if (kb < 0)
                                             state.SkipWithError("the memory probe failed");
                                         state.counters["peak_MB_above_baseline"] =
                                             double(kb) / 1024;
                                     })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);

    SummaryReporter result;
    benchmark::RunSpecifiedBenchmarks(&result);

    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    const std::string show = "ShowPattern/two_24MP_jpeg";
    std::printf("\nMedian process CPU time, ways taken in turn:\n");
    std::printf("pattern / floor:  %.2f (goal: at most 1.3)\n",
                ratio(result(show, "pattern_ms"), result(show, "floor_ms")));
    std::printf("naive / pattern:  %.2f (goal: at least 4)\n",
                ratio(result(show, "naive_ms"), result(show, "pattern_ms")));
    std::printf("peak memory above baseline: %.1f MB (goal: under 32; naive way: %.1f MB)\n",
                result("PeakMemory/ShowPattern_two_24MP_jpeg", "peak_MB_above_baseline"),
                result("PeakMemory/NaivePattern_two_24MP_jpeg", "peak_MB_above_baseline"));
    for (const Picture& p : kinds) {
        const std::string b = "Render/" + p.name;
        std::printf("%-28s naive / render %.2f (goal: at least 1)   smooth / nearest %.2f\n",
                    p.name.c_str(), ratio(result(b, "naive_ms"), result(b, "render_ms")),
                    ratio(result(b, "smooth_ms"), result(b, "nearest_ms")));
    }
    for (const Picture& p : hostile)
        std::printf("hostile %-28s peak memory above baseline: %.1f MB (budget: 512)\n",
                    p.name.c_str(),
                    result("PeakMemory/Hostile_" + p.name, "peak_MB_above_baseline"));
    benchmark::Shutdown();
    return 0;
}
