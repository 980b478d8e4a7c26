// Finding the bones of a model, once per load: by name, by the VRM map, and from the skeleton's shape
// when no name is known. Target: well under a millisecond for a 65-joint humanoid (loading it takes far
// longer).

#include "character/BoneFinder.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <benchmark/benchmark.h>

namespace plimsa {
namespace {

void findBones(benchmark::State& state, const std::string& file, bool hideNames) {
    const GltfLoadResult loaded = GltfLoader().loadFile(TestHumanoids::path(file));
    if (!loaded) {
        state.SkipWithError("the humanoid did not load");
        return;
    }
    Node& model = loaded.scene->rootNode();
    if (hideNames) {
        model.enumerateChildNodes([](Node& node, bool&) {
            if (node.geometry() == nullptr) node.setName("");
        });
    }
    const GltfHumanoid* map = hideNames || !loaded.humanoid ? nullptr : &*loaded.humanoid;
    for (auto _ : state) benchmark::DoNotOptimize(BoneFinder::find(model, map));
}

void BM_FindBonesByName65Joints(benchmark::State& state) {
    findBones(state, "humanoid-65-joints.glb", false);
}
BENCHMARK(BM_FindBonesByName65Joints);

void BM_FindBonesByShape65Joints(benchmark::State& state) {
    findBones(state, "humanoid-65-joints.glb", true);
}
BENCHMARK(BM_FindBonesByShape65Joints);

void BM_FindBonesByVrmMap(benchmark::State& state) {
    findBones(state, "humanoid-vrm1.vrm", false);
}
BENCHMARK(BM_FindBonesByVrmMap);

}  // namespace
}  // namespace plimsa
