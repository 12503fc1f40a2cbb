// How long enumerating the piece grids of one picture takes (run on every pattern shown).
#include "pieces/piece_grids.h"

#include <benchmark/benchmark.h>

using namespace pdt::pieces;

namespace {

void BM_FillPieceChoices(benchmark::State& state) {
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    PieceGridTable table;
    for (auto _ : state) {
        const PieceChoices r = FillPieceChoices(table, width, height);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(table.data());
    }
}
// 640 x 480 and 1024 x 1024 as they are, 6000 x 1000 reduced (62 grids), 20000 x 200 no grid.
BENCHMARK(BM_FillPieceChoices)
    ->Args({640, 480})
    ->Args({1024, 1024})
    ->Args({6000, 1000})
    ->Args({20000, 200})
    ->Unit(benchmark::kMicrosecond);

void BM_EnumeratePieceGrids(benchmark::State& state) {
    const auto width = std::int32_t(state.range(0));
    const auto height = std::int32_t(state.range(1));
    PieceGridTable table;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EnumeratePieceGrids(table, width, height));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EnumeratePieceGrids)
    ->Args({640, 480})
    ->Args({1180, 1180})
    ->Args({1579, 263})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
