// The document engine on real files: saving 400 pictures against a plain concatenation of
// the same files, the memory a save holds, opening a 200-pattern file, and the memory and
// speed of the undo history.
//
// The pictures (about 400 MB, mixed sizes) are generated in a folder under /tmp that is
// removed at exit. With less free space the set is scaled down, and the run says so.
#include "puzzle/document.h"
#include "puzzle/format.h"
#include "puzzle/history.h"
#include "puzzle/open.h"
#include "puzzle/pictures.h"
#include "puzzle/save.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace pdt::puzzle;

// Counting allocator: the live heap and its peak since the last reset.
namespace {
std::atomic<std::int64_t> liveHeap{0};
std::atomic<std::int64_t> peakHeap{0};

void* counted(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    const std::int64_t now = liveHeap += std::int64_t(malloc_usable_size(p));
    std::int64_t peak = peakHeap.load();
    while (now > peak && !peakHeap.compare_exchange_weak(peak, now)) {
    }
    return p;
}
void uncounted(void* p) {
    if (!p)
        return;
    liveHeap -= std::int64_t(malloc_usable_size(p));
    std::free(p);
}
} // namespace

void* operator new(std::size_t n) {
    return counted(n);
}
void* operator new[](std::size_t n) {
    return counted(n);
}
void operator delete(void* p) noexcept {
    uncounted(p);
}
void operator delete[](void* p) noexcept {
    uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    uncounted(p);
}

namespace {

constexpr std::size_t kChunk = std::size_t(1) << 20;
constexpr int kPictures = 400;
constexpr std::uint64_t kWantedBytes = 400ull << 20;

std::int64_t procStatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0)
            return std::atoll(line.c_str() + prefix.size());
    return -1;
}

// Makes VmHWM start again from the current resident size.
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A folder under /tmp, removed with its content when the program ends.
struct BenchFolder {
    std::string dir;
    BenchFolder() {
        char pattern[] = "/tmp/pdt-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

struct PictureSet {
    BenchFolder folder;
    const std::string& dir = folder.dir;
    std::vector<std::string> files;
    std::uint64_t totalBytes = 0;
    Document doc;

    PictureSet() {
        struct statvfs fsInfo {};
        ::statvfs(dir.c_str(), &fsInfo);
        const std::uint64_t free = std::uint64_t(fsInfo.f_bavail) * fsInfo.f_frsize;
        // The pictures, the new file and the file it replaces must fit, with room to spare.
        std::uint64_t wanted = kWantedBytes;
        if (free < 4 * wanted) {
            wanted = free / 4;
            std::fprintf(stderr,
                         "bench_engine: only %llu MB free in /tmp, pictures scaled to %llu MB\n",
                         (unsigned long long)(free >> 20), (unsigned long long)(wanted >> 20));
        }

        // Mixed sizes: many small pictures, some of a few megabytes.
        std::mt19937_64 random(400);
        std::vector<double> weights(kPictures);
        for (double& w : weights) {
            const int kind = int(random() % 10);
            w = kind < 4   ? 0.05 + double(random() % 250) / 1000.0
                : kind < 8 ? 0.5 + double(random() % 1000) / 1000.0
                           : 2.0 + double(random() % 2000) / 1000.0;
        }
        double sum = 0;
        for (double w : weights)
            sum += w;

        ResetDocument(doc);
        std::vector<std::uint8_t> block(kChunk);
        for (auto& b : block)
            b = std::uint8_t(random());
        for (int i = 0; i < kPictures; ++i) {
            const auto size = std::uint64_t(double(wanted) * weights[size_t(i)] / sum) + 1;
            const std::string path = dir + "/picture" + std::to_string(i) + ".jpg";
            std::FILE* f = std::fopen(path.c_str(), "wb");
            for (std::uint64_t left = size; left > 0;) {
                const auto n = std::size_t(std::min<std::uint64_t>(left, kChunk));
                block[0] = std::uint8_t(i);
                std::fwrite(block.data(), 1, n, f);
                left -= n;
            }
            std::fclose(f);
            files.push_back(path);
            totalBytes += size;
            const int pattern = i / 2;
            if (pattern > doc.state.lastIndex)
                AppendPattern(doc);
            if (const auto refusal = AttachPicture(doc, pattern, i % 2, path))
                std::fprintf(stderr, "attach failed: %s\n", refusal->text.c_str());
        }
        // Written back before anything is measured, so that no run pays for it.
        ::sync();
    }
};

PictureSet& pictures() {
    static PictureSet set;
    return set;
}

// Reads every picture in 1 MiB chunks and writes them to one new file, then flushes it and
// renames it into place: the least any atomic save of these bytes has to do.
bool concatenate(const PictureSet& set, const std::string& target) {
    const std::string temporary = target + ".tmp";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0)
        return false;
    std::vector<std::uint8_t> buffer(kChunk);
    bool ok = true;
    for (const std::string& file : set.files) {
        const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        ssize_t n;
        while (ok && (n = ::read(in, buffer.data(), buffer.size())) > 0)
            ok = ::write(out, buffer.data(), std::size_t(n)) == n;
        ::close(in);
    }
    ok = ok && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    return ok && ::rename(temporary.c_str(), target.c_str()) == 0;
}

bool save(const PictureSet& set, const std::string& target) {
    Document doc = set.doc; // every save starts from the picture files
    return SavePuzzleDataFile(doc, target, "").saved;
}

double secondsOf(const auto& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_SaveFourHundredPictures(benchmark::State& state) {
    PictureSet& set = pictures();
    const std::string target = set.dir + "/save.ADX";
    std::int64_t worstHeap = 0;
    std::int64_t worstResident = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Document doc = set.doc;
        const std::int64_t heapBefore = liveHeap.load();
        peakHeap = heapBefore;
        resetPeakResident();
        const std::int64_t residentBefore = procStatusKb("VmRSS");
        state.ResumeTiming();
        if (!SavePuzzleDataFile(doc, target, "").saved)
            state.SkipWithError("save failed");
        state.PauseTiming();
        worstHeap = std::max(worstHeap, peakHeap.load() - heapBefore);
        worstResident = std::max(worstResident, procStatusKb("VmHWM") - residentBefore);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(set.totalBytes));
    state.counters["picture_MB"] = double(set.totalBytes) / 1e6;
    state.counters["peak_heap_MB"] = double(worstHeap) / 1e6;
    state.counters["peak_rss_above_baseline_MB"] = double(worstResident) / 1e3;
    std::filesystem::remove(target);
}
BENCHMARK(BM_SaveFourHundredPictures)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_PlainConcatenation(benchmark::State& state) {
    PictureSet& set = pictures();
    const std::string target = set.dir + "/cat.out";
    for (auto _ : state)
        if (!concatenate(set, target))
            state.SkipWithError("concatenation failed");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(set.totalBytes));
    std::filesystem::remove(target);
}
BENCHMARK(BM_PlainConcatenation)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Both in turn, each starting every other round, so that both meet the same disk and the
// same page cache: save throughput over concatenation throughput (the target is at least
// 0.95). The disk and the processors of this machine are shared, so single rounds vary: the
// median of the rounds' ratios and the ratio of the best rounds are the figures to read; the
// ratio of the summed times is given as well. One round before the timed ones warms both up.
void BM_SaveVersusConcatenation(benchmark::State& state) {
    PictureSet& set = pictures();
    const std::string catTarget = set.dir + "/cat.out";
    const std::string saveTarget = set.dir + "/save.ADX";
    concatenate(set, catTarget);
    save(set, saveTarget);
    double saveSeconds = 0;
    double catSeconds = 0;
    double bestSave = 1e9;
    double bestCat = 1e9;
    std::vector<double> ratios;
    for (auto _ : state) {
        double c = 0;
        double s = 0;
        if (ratios.size() % 2 == 0) {
            c = secondsOf([&] { concatenate(set, catTarget); });
            s = secondsOf([&] { save(set, saveTarget); });
        } else {
            s = secondsOf([&] { save(set, saveTarget); });
            c = secondsOf([&] { concatenate(set, catTarget); });
        }
        catSeconds += c;
        saveSeconds += s;
        bestCat = std::min(bestCat, c);
        bestSave = std::min(bestSave, s);
        ratios.push_back(c / s);
    }
    std::sort(ratios.begin(), ratios.end());
    const double rounds = double(ratios.size());
    state.counters["median_round_ratio"] = ratios[ratios.size() / 2];
    state.counters["best_round_ratio"] = bestCat / bestSave;
    state.counters["summed_ratio"] = catSeconds / saveSeconds;
    state.counters["save_MBps"] = double(set.totalBytes) * rounds / saveSeconds / 1e6;
    state.counters["cat_MBps"] = double(set.totalBytes) * rounds / catSeconds / 1e6;
    std::filesystem::remove(catTarget);
    std::filesystem::remove(saveTarget);
}
BENCHMARK(BM_SaveVersusConcatenation)->Unit(benchmark::kMillisecond)->Iterations(12)->UseRealTime();

// A 200-pattern file whose pictures are holes of the given size: opening it must not
// depend on how large they are.
std::string sparseTwoHundredPatternFile(std::int64_t pictureSize) {
    static BenchFolder folder;
    const std::string path = folder.dir + "/open-" + std::to_string(pictureSize) + ".ADX";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const auto header = EncodeHeader(200, "");
    ::pwrite(fd, header.data(), header.size(), 0);
    std::int64_t at = 20;
    for (int k = 0; k < 200; ++k) {
        PatternRecord r;
        r.recordSize = 1154;
        r.recordOffset = std::int32_t(at);
        r.puzzleImageSize = std::int32_t(pictureSize);
        r.finishedImageSize = std::int32_t(pictureSize);
        r.puzzleImageOffset = std::int32_t(at + 1154);
        r.finishedImageOffset = std::int32_t(at + 1154 + pictureSize);
        r.pieceCount = 12;
        const auto bytes = EncodeRecord(r);
        ::pwrite(fd, bytes.data(), bytes.size(), at);
        at += 1154 + 2 * pictureSize;
    }
    ::ftruncate(fd, at);
    ::close(fd);
    return path;
}

void BM_OpenTwoHundredPatterns(benchmark::State& state) {
    const std::string path = sparseTwoHundredPatternFile(state.range(0));
    Document doc;
    ResetDocument(doc);
    for (auto _ : state) {
        const ReadResult r = ReadPuzzleDataFile(path);
        if (!r.file || r.file->walk.records.size() != 200 || !r.file->walk.sound()) {
            state.SkipWithError("open failed");
            break;
        }
        ApplyOpenedFile(doc, *r.file);
        benchmark::DoNotOptimize(doc.table.data());
    }
    state.counters["file_MB"] = double(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(BM_OpenTwoHundredPatterns)
    ->Arg(1 << 10)
    ->Arg(1 << 20)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMicrosecond);

// A 200-pattern set with every text field full and a picture file for each slot: the
// largest records an author can make.
Document fullTwoHundredPatternSet() {
    Document doc;
    ResetDocument(doc);
    for (int k = 0; k < kMaxPatterns; ++k) {
        if (k > 0)
            AppendPattern(doc);
        PatternRecord& r = doc.pattern(k);
        const std::string n = std::to_string(k);
        for (int slot = 0; slot < 2; ++slot) {
            r.sourceFiles[size_t(slot)] = "/home/author/pictures/a set of puzzles/pattern-" + n +
                                          "-" + char('a' + slot) + ".jpg";
            setFieldText(slotPath(r, slot), std::string(255, char('a' + k % 26)));
            slotSize(r, slot) = 100000 + k;
        }
        setFieldText(r.clearComment, std::string(256, char('A' + k % 26)));
        setFieldText(r.finishComment, std::string(256, char('a' + k % 26)));
        r.pieceCount = 12;
    }
    return doc;
}

// 100 steps on a 200-pattern set, each recorded before its change: memoryBytes and the
// heap the history really holds, and the time of record, undo and redo. Arg 0: each step
// edits one pattern's comment (typing, a piece count, a picture); arg 1: each step changes
// every record (an open, a move of every pattern), the most a step can hold.
void BM_HistoryOfHundredSteps(benchmark::State& state) {
    constexpr int kSteps = 100;
    const bool everyRecord = state.range(0) == 1;
    static BenchFolder folder;
    const Document start = fullTwoHundredPatternSet();
    double recordSeconds = 0;
    double undoSeconds = 0;
    double redoSeconds = 0;
    std::int64_t heap = 0;
    std::size_t reported = 0;
    for (auto _ : state) {
        Document doc = start;
        const std::int64_t heapBefore = liveHeap.load();
        History history(folder.dir + "/cache");
        recordSeconds += secondsOf([&] {
            for (int step = 0; step < kSteps; ++step) {
                history.record(doc, "コメントの入力", step % kMaxPatterns);
                for (int k = 0; k < (everyRecord ? kMaxPatterns : 1); ++k)
                    doc.pattern((step + k) % kMaxPatterns).clearComment[0] = char(step);
            }
        });
        heap = std::max(heap, liveHeap.load() - heapBefore);
        reported = std::max(reported, history.memoryBytes());
        if (history.stepCount() != kSteps)
            state.SkipWithError("steps were lost");
        undoSeconds += secondsOf([&] {
            while (history.undo(doc)) {
            }
        });
        redoSeconds += secondsOf([&] {
            while (history.redo(doc)) {
            }
        });
        benchmark::DoNotOptimize(doc.table.data());
    }
    const double calls = double(state.iterations()) * kSteps;
    state.counters["memoryBytes_MB"] = double(reported) / 1e6;
    state.counters["heap_MB"] = double(heap) / 1e6;
    state.counters["record_us"] = recordSeconds / calls * 1e6;
    state.counters["undo_us"] = undoSeconds / calls * 1e6;
    state.counters["redo_us"] = redoSeconds / calls * 1e6;
}
BENCHMARK(BM_HistoryOfHundredSteps)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
