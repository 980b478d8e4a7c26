// One frame of posing a skinned character: the default seated pose with both hands on chains, as a swing
// scene applies it 60 times a second per character. Target: at most 4 microseconds per 65-joint humanoid.
// The IK-style rig adds feet and hands that follow their chains from outside them.

#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace plimsa {
namespace {

struct Posed {
    std::shared_ptr<Node> world = Node::make();
    std::shared_ptr<Node> frame = Node::make();
    std::unique_ptr<SkinnedCharacter> character;
};

std::unique_ptr<Posed> hang(const std::filesystem::path& file) {
    if (file.empty()) return nullptr;
    const GltfLoadResult loaded = GltfLoader().loadFile(file);
    if (!loaded) return nullptr;
    auto posed = std::make_unique<Posed>();
    posed->character = std::make_unique<SkinnedCharacter>(*loaded.scene);
    posed->world->addChildNode(posed->frame);
    posed->frame->setEulerAngles({0.0f, 0.0f, 0.15f});
    posed->frame->addChildNode(posed->character->root());
    posed->character->root()->setPosition({0.0f, -2.0f, 0.0f});
    return posed;
}

void applySeatedOnChains(benchmark::State& state, const std::filesystem::path& file) {
    const std::unique_ptr<Posed> posed = hang(file);
    if (posed == nullptr) {
        state.SkipWithError("model not available");
        return;
    }
    CharacterPose pose;
    double time = 0.0;
    for (auto _ : state) {
        // A swinging frame: the pose and the frame change every call, as they do on screen.
        time += 1.0 / 60.0;
        pose.time = time;
        pose.leg = 0.5 * std::sin(2.0 * time);
        posed->frame->setEulerAngles({0.0f, 0.0f, static_cast<float>(0.3 * std::sin(time))});
        posed->character->apply(pose, *posed->frame);
        benchmark::DoNotOptimize(posed->character->model()->worldTransform());
    }
}

void BM_ApplySeated65Joints(benchmark::State& state) {
    applySeatedOnChains(state, TestHumanoids::path("humanoid-65-joints.glb"));
}
BENCHMARK(BM_ApplySeated65Joints);

void BM_ApplySeatedIkRig(benchmark::State& state) {
    applySeatedOnChains(state, TestHumanoids::path("humanoid-ik-rig.glb"));
}
BENCHMARK(BM_ApplySeatedIkRig);

void BM_ApplySeatedKayKit(benchmark::State& state) {
    applySeatedOnChains(state, TestHumanoids::sharedModel("kaykit-mannequin-medium.glb"));
}
BENCHMARK(BM_ApplySeatedKayKit);

void BM_ApplySeatedCesiumMan(benchmark::State& state) {
    applySeatedOnChains(state, TestHumanoids::sharedModel("khronos-cesiumman.glb"));
}
BENCHMARK(BM_ApplySeatedCesiumMan);

// Loading a VRM avatar as a character: reading the file (its humanoid map included) and adopting it,
// materials made matte, bones from the map, rest pose and fit recorded.
void BM_LoadVrmAvatar(benchmark::State& state) {
    const std::filesystem::path file = TestHumanoids::path("humanoid-vrm1.vrm");
    for (auto _ : state) {
        const GltfLoadResult loaded = GltfLoader().loadFile(file);
        if (!loaded) {
            state.SkipWithError("model not available");
            return;
        }
        SkinnedCharacter character(*loaded.scene, loaded.humanoid ? &*loaded.humanoid : nullptr);
        benchmark::DoNotOptimize(character.root());
    }
}
BENCHMARK(BM_LoadVrmAvatar)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimsa
