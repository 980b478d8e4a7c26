// Per-frame cost of a swing with skinned characters, and the cost of sizing them.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TestHumanoids.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

struct Bench {
    explicit Bench(int seats) {
        SwingScene::Services services;
        services.settings = &settings;
        services.seed = 1;
        scene = std::make_unique<SwingScene>(services);
        SwingConfig config;
        config.characters.assign(seats, TestHumanoids::path("humanoid-65-joints.glb").string());
        config.fits.assign(seats, CharacterFit{});
        scene->setConfig(config);
        scene->setCharacters(config.characters);
        scene->settingsChanged();
    }
    MemoryDefaults defaults;
    Settings settings{defaults};
    std::unique_ptr<SwingScene> scene;
};

// One whole frame: pendulum, legs, blink, head and the pose of every character (65 joints each).
void frameStep(benchmark::State& state) {
    const int seats = static_cast<int>(state.range(0));
    Bench bench(seats);
    bench.scene->setLookTargetWorld(glm::vec3(0.5f, -1.0f, 4.0f));
    double time = 0;
    for (auto _ : state) {
        bench.scene->updateAtTime(time += 1.0 / 60);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * seats);  // items = characters posed
    state.counters["characters"] = seats;
}
BENCHMARK(frameStep)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Sizing on a configuration change: reach tests for both characters, up to three rounds.
void resolveSizes(benchmark::State& state) {
    Bench bench(2);
    for (auto _ : state) benchmark::DoNotOptimize(bench.scene->resolveSizes());
}
BENCHMARK(resolveSizes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimsa
