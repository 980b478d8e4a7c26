#include <benchmark/benchmark.h>

#include <filesystem>

#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/desktop/FileDefaults.h"
#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

// The largest document the panel lets a user make: four swings of two characters, four corner sitters.
Settings::Values fullDocument() {
    Settings::Values values;
    for (int i = 0; i < 4; ++i) {
        SwingConfig swing;
        swing.characters = {"ada", "/home/someone/.local/share/Plimsa/Characters/bo.glb"};
        swing.applyStyle(allCases<SwingStyle>()[static_cast<std::size_t>(i)]);
        swing.setFit(1, {1.2, 0.05, -0.1});
        values.swings.push_back(swing);
        CornerConfig corner;
        corner.character = "ada";
        values.corners.push_back(corner);
    }
    return values;
}

void BM_Encode(benchmark::State& state) {
    const Settings::Values values = fullDocument();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto document = values.encode();
        bytes = document->size();
        benchmark::DoNotOptimize(document);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Encode);

void BM_Decode(benchmark::State& state) {
    const std::string document = *fullDocument().encode();
    for (auto _ : state) benchmark::DoNotOptimize(Settings::Values::decode(document));
}
BENCHMARK(BM_Decode);

// One slider step: edit one field, publish, encode and save.
void sliderSteps(benchmark::State& state, Defaults& defaults) {
    Settings settings(defaults);
    settings.set(fullDocument());
    double kick = 0.0;
    for (auto _ : state) {
        kick = kick > 1.5 ? 0.0 : kick + 0.01;
        settings.update([kick](Settings::Values& v) { v.swings[2].kick = kick; });
    }
}

void BM_ChangeAndSaveInMemory(benchmark::State& state) {
    MemoryDefaults defaults;
    sliderSteps(state, defaults);
}
BENCHMARK(BM_ChangeAndSaveInMemory);

// Each step writes settings.json atomically: temporary file, fsync, rename, folder fsync.
void BM_ChangeAndSaveToSettingsFile(benchmark::State& state) {
    testing::TemporaryFolder folder;
    FileDefaults defaults(folder.path() / "plimsa");
    sliderSteps(state, defaults);
}
BENCHMARK(BM_ChangeAndSaveToSettingsFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plimsa
