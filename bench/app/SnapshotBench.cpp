// Wall time of the snapshot mode: whole plimsa processes (start, load, render, encode, write, exit) and,
// in process, one corner render and one thumbnail on a warm renderer.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "corner/CornerScene.h"
#include "library/CharacterPreviews.h"
#include "library/ShippedFiles.h"
#include "platform/render/SnapshotRenderer.h"
#include "support/ChildProcess.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

const std::filesystem::path& outputFolder() {
    static const testing::TemporaryFolder folder;
    return folder.path();
}

std::string humanoid() {
    return TestHumanoids::path("humanoid-mixamo-colon.glb").string();
}

// Without the developer's PLIMSA_* variables, so that a PLIMSA_DEBUG left exported times nothing extra.
bool runPlimsa(const std::vector<std::string>& arguments) {
    static const testing::Environment environment = testing::inheritedEnvironmentWithout("PLIMSA_");
    return testing::runProcess(PLIMSA_EXECUTABLE, arguments, outputFolder(), environment).status == 0;
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// Wall time per process, and the processes' own CPU time (user + system) as "process_cpu_ms": the wall
/// time grows when other work shares the machine, the CPU time much less.
void processBench(benchmark::State& state, const std::vector<std::string>& arguments) {
    const double cpuBefore = childCpuSeconds();
    for (auto _ : state)
        if (!runPlimsa(arguments)) state.SkipWithError("plimsa failed");
    state.counters["process_cpu_ms"] = benchmark::Counter(1000.0 * (childCpuSeconds() - cpuBefore) /
                                                          static_cast<double>(state.iterations()));
}

void BM_ProcessSwingSnapshotBuiltInFigure(benchmark::State& state) {
    processBench(state, {"--snapshot", (outputFolder() / "swing.png").string()});
}

void BM_ProcessSwingSnapshotHumanoid(benchmark::State& state) {
    processBench(state, {"--snapshot", (outputFolder() / "swing.png").string(), "12", "--model", humanoid()});
}

void BM_ProcessSwingSnapshotTwoSeatsLook(benchmark::State& state) {
    processBench(state, {"--snapshot", (outputFolder() / "swing2.png").string(), "--seats", "2", "--model",
                         humanoid(), "--look", "100,400"});
}

void BM_ProcessCorner(benchmark::State& state) {
    processBench(state, {"--corner", (outputFolder() / "corner.png").string(), "--model", humanoid()});
}

void BM_ProcessPreview(benchmark::State& state) {
    processBench(state, {"--preview", humanoid(), (outputFolder() / "preview.png").string()});
}

// Arg 0: the test humanoid; 1, 2: the starter characters the build generates (about ten times its triangles).
void BM_CornerRender(benchmark::State& state) {
    auto renderer = SnapshotRenderer::create();
    if (!renderer) return state.SkipWithError("no offscreen OpenGL context");
    CornerConfig config;
    const char* starter[] = {"", "Poppy.glb", "Basil.glb"};
    config.character = state.range(0) == 0
                           ? humanoid()
                           : (shippedFolder() / "characters" / starter[state.range(0)]).string();
    if (!std::filesystem::exists(config.character)) return state.SkipWithError("no starter character built");
    auto scene = std::make_shared<CornerScene>();
    scene->apply(config);
    renderer->setDelegate(scene);
    // The first snapshot compiles the programs, computes the sky and uploads the meshes: a process pays
    // it once, and BM_ProcessCorner counts it.
    (void)renderer->snapshot(*scene->scene(), *scene->cameraNode(), 648, 480, 4, 0.0);
    double time = 0.0;
    for (auto _ : state) {
        auto image = renderer->snapshot(*scene->scene(), *scene->cameraNode(), 648, 480, 4, time += 1.0 / 60);
        benchmark::DoNotOptimize(image);
    }
}

void BM_ThumbnailLoadAndRender(benchmark::State& state) {
    auto renderer = SnapshotRenderer::create();
    if (!renderer) return state.SkipWithError("no offscreen OpenGL context");
    const std::filesystem::path model = humanoid();
    (void)CharacterPreviews::render(model, *renderer);  // programs and sky, as in BM_CornerRender
    for (auto _ : state) {
        auto image = CharacterPreviews::render(model, *renderer);
        if (!image) state.SkipWithError("no thumbnail");
        benchmark::DoNotOptimize(image);
    }
}

BENCHMARK(BM_ProcessSwingSnapshotBuiltInFigure)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ProcessSwingSnapshotHumanoid)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ProcessSwingSnapshotTwoSeatsLook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ProcessCorner)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ProcessPreview)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CornerRender)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ThumbnailLoadAndRender)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace plimsa
