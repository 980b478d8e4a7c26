// The library lists its folder on every call (no index, no cache): how long that takes with a large
// collection, and how long a typical pack takes to install.
#include <benchmark/benchmark.h>

#include <string>

#include "library/CharacterLibrary.h"
#include "library/Packs.h"
#include "library/ShippedFiles.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/TestZip.h"

namespace plimsa {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::TestZip;
using testing::writeFile;

struct Collection {
    explicit Collection(int count) : dataHome("XDG_DATA_HOME", folder.path().string()) {
        for (int i = 0; i < count; ++i)
            writeFile(CharacterLibrary::directory() / ("Model" + std::to_string(i) + ".glb"), "x");
        writeFile(CharacterLibrary::directory() / "notes.txt", "x");
    }
    TemporaryFolder folder;
    ScopedEnvironment dataHome;
};

void BM_Names(benchmark::State& state) {
    Collection collection(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(CharacterLibrary::names());
}
BENCHMARK(BM_Names)->Arg(10)->Arg(200);

void BM_ResolveName(benchmark::State& state) {
    Collection collection(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(CharacterLibrary::resolve("Model7"));
}
BENCHMARK(BM_ResolveName)->Arg(10)->Arg(200);

// A pack of eight 2 MiB models with a readme, as a store would sell it.
void BM_InstallPack(benchmark::State& state) {
    Collection collection(0);
    TemporaryFolder scratch;
    ScopedEnvironment temporary("TMPDIR", scratch.path().string());
    TestZip zip;
    std::string model(2u << 20, '\0');
    for (size_t i = 0; i < model.size(); ++i) model[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (int i = 0; i < 8; ++i) zip.file("pack/Model" + std::to_string(i) + ".glb", model);
    zip.file("pack/readme.txt", "thanks");
    const auto archive = zip.save(collection.folder.path() / "pack.zip");
    for (auto _ : state) benchmark::DoNotOptimize(CharacterLibrary::installPack(archive));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 8 *
                            static_cast<int64_t>(model.size()));
}
BENCHMARK(BM_InstallPack)->Unit(benchmark::kMillisecond);

// The starter pack as the program ships it: the build tree's generated characters when they are there,
// else two test humanoids in their place.
void BM_InstallStarterPack(benchmark::State& state) {
    Collection collection(0);
    TemporaryFolder standIn;
    auto shipped = shippedFolder();
    const bool real = !shipped.empty() &&
                      std::filesystem::is_regular_file(shipped / "characters" / "Poppy.glb") &&
                      std::filesystem::is_regular_file(shipped / "characters" / "Basil.glb");
    if (!real) {
        shipped = standIn.path();
        const auto model = TestHumanoids::bytes("humanoid-mixamo-colon.glb");
        for (const char* name : {"Poppy", "Basil"})
            writeFile(shipped / "characters" / (std::string(name) + ".glb"),
                      std::string(model.begin(), model.end()));
    }
    const Pack starter{"Starter pack", {"Poppy", "Basil"}, "", {}, true};
    for (auto _ : state) benchmark::DoNotOptimize(CharacterLibrary::installShippedPack(starter, shipped));
    state.SetLabel(real ? "generated starter characters" : "test humanoids standing in");
}
BENCHMARK(BM_InstallStarterPack)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimsa
