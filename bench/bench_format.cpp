// How long finding and decoding the records of a 200-pattern file takes.
#include "puzzle/record_walk.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace pdt::puzzle;

namespace {

std::vector<std::uint8_t> twoHundredPatternTable() {
    const auto header = EncodeHeader(200, "");
    std::vector<std::uint8_t> file(header.begin(), header.end());
    for (int k = 0; k < 200; ++k) {
        PatternRecord r;
        r.recordSize = 1154;
        r.recordOffset = std::int32_t(file.size());
        r.puzzleImageSize = 64;
        r.puzzleImageOffset = r.recordOffset + 1154;
        r.finishedImageOffset = r.puzzleImageOffset + 64;
        const auto b = EncodeRecord(r);
        file.insert(file.end(), b.begin(), b.end());
        file.resize(file.size() + 64, 0x55);
    }
    return file;
}

void BM_WalkAndDecode200Records(benchmark::State& state) {
    const auto file = twoHundredPatternTable();
    for (auto _ : state) {
        MemoryByteSource src(file);
        WalkResult w = WalkRecords(src);
        benchmark::DoNotOptimize(w.records.data());
        if (w.records.size() != 200)
            state.SkipWithError("walk did not find 200 records");
    }
}
BENCHMARK(BM_WalkAndDecode200Records)->Unit(benchmark::kMicrosecond);

void BM_EncodeRecord(benchmark::State& state) {
    PatternRecord r;
    r.recordSize = 1154;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeRecord(r));
}
BENCHMARK(BM_EncodeRecord);

} // namespace

BENCHMARK_MAIN();
