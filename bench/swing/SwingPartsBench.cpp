// Cost of a swing rebuild's geometry: each skin's board (textures included) and its two ropes.
#include <benchmark/benchmark.h>

#include "swing/SwingParts.h"

namespace plimsa {
namespace {

const SwingSkin kSkins[] = {SwingSkin::classic, SwingSkin::forest, SwingSkin::ice, SwingSkin::gold,
                            SwingSkin::rope};

// Arguments: skin index, board width in hundredths.
void boardArguments(benchmark::internal::Benchmark* bench) {
    for (int skin = 0; skin < 5; ++skin)
        for (int width : {100, 200}) bench->Args({skin, width});
}

void BM_BuildBoard(benchmark::State& state) {
    const SwingSkin skin = kSkins[state.range(0)];
    const double width = state.range(1) / 100.0;
    const std::vector<double> xs = width > 1.5 ? std::vector<double>{-0.5, 0.5} : std::vector<double>{0.0};
    SwingParts::wood();  // the shared texture is painted once per process, not per board
    for (auto _ : state) benchmark::DoNotOptimize(SwingParts::buildBoard(skin, width, xs, 2.2));
}
BENCHMARK(BM_BuildBoard)->Apply(boardArguments)->Unit(benchmark::kMillisecond);

void BM_RopesOfABoard(benchmark::State& state) {
    const SwingSkin skin = kSkins[state.range(0)];
    const SeatBuild build = SwingParts::buildBoard(skin, 1.0, {0.0}, 2.2);
    for (auto _ : state)
        for (const Rope& rope : build.ropes) benchmark::DoNotOptimize(SwingParts::ropeNode(rope, skin));
}
BENCHMARK(BM_RopesOfABoard)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_WoodImage1024(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(SwingParts::woodImage(1024));
}
BENCHMARK(BM_WoodImage1024)->Unit(benchmark::kMillisecond);

void BM_MarbleImage1024(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(SwingParts::marbleImage(1024));
}
BENCHMARK(BM_MarbleImage1024)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimsa
