// Thumbnails and live portraits: a thumbnail render on a warm renderer (model load included, as the
// previews queue does it), a thumbnail read back from the cache, and the heap one portrait scene holds.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <string>

#include "character/CharacterLoader.h"
#include "library/CharacterPreviews.h"
#include "library/PortraitScene.h"
#include "library/ShippedFiles.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

void thumbnailRender(benchmark::State& state, const std::filesystem::path& url) {
    std::string reason;
    auto renderer = SnapshotRenderer::create(&reason);
    if (!renderer) return state.SkipWithError(("no renderer: " + reason).c_str());
    // The first render compiles shaders and builds the sky; later ones are what the queue pays per name.
    if (!CharacterPreviews::render(url, *renderer)) return state.SkipWithError("model did not render");
    for (auto _ : state) benchmark::DoNotOptimize(CharacterPreviews::render(url, *renderer));
}

// A thumbnail on disk, asked for by a fresh instance: the first call reads and decodes the file.
void BM_ThumbnailCacheHit(benchmark::State& state) {
    testing::TemporaryFolder folder;
    auto renderer = SnapshotRenderer::create();
    auto thumbnail =
        renderer ? CharacterPreviews::render(TestHumanoids::path("humanoid-mixamo-colon.glb"), *renderer)
                 : std::nullopt;
    if (!thumbnail) return state.SkipWithError("no thumbnail to cache");
    Png::write(*thumbnail, (folder.path() / "Robo@6.png").string());
    ManualDispatch dispatch;
    for (auto _ : state) {
        state.PauseTiming();
        auto previews = std::make_unique<CharacterPreviews>(
            dispatch,
            CharacterPreviews::Options{folder.path(), [](std::string_view) { return std::nullopt; }, {}});
        state.ResumeTiming();
        benchmark::DoNotOptimize(previews->image("Robo"));
        state.PauseTiming();
        previews.reset();
        dispatch.runPending();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ThumbnailCacheHit)->Unit(benchmark::kMillisecond);

// Heap bytes in use (glibc's mallinfo2 uordblks) before and after loading a character and building its
// portrait scene; `character` is the loaded model alone, `scene` the whole portrait.
void portraitSceneMemory(benchmark::State& state, const std::filesystem::path& url) {
    double character = 0, scene = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const auto before = mallinfo2().uordblks;
        auto loaded = CharacterLoader::load(url);
        if (!loaded) return state.SkipWithError("model did not load");
        const auto loadedBytes = mallinfo2().uordblks;
        auto portrait = std::make_unique<PortraitScene>(std::move(loaded));
        const auto built = mallinfo2().uordblks;
        character = static_cast<double>(loadedBytes - before);
        scene = static_cast<double>(built - before);
        benchmark::DoNotOptimize(portrait);
    }
    state.counters["character"] =
        benchmark::Counter(character, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["scene"] =
        benchmark::Counter(scene, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

const bool registered = [] {
    std::vector<std::pair<std::string, std::filesystem::path>> models;
    for (const std::string& name : TestHumanoids::fileNames())
        models.emplace_back(name, TestHumanoids::path(name));
    // The starter characters, when the build has generated them.
    for (const char* name : {"Poppy.glb", "Basil.glb"})
        if (const auto path = shippedFolder() / "characters" / name; std::filesystem::exists(path))
            models.emplace_back(name, path);
    for (const auto& [name, url] : models) {
        benchmark::RegisterBenchmark(("BM_ThumbnailRender/" + name).c_str(), thumbnailRender, url)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_PortraitSceneMemory/" + name).c_str(), portraitSceneMemory, url)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
}  // namespace plimsa
