// Loading time (bytes in memory to a ready scene) and the memory the loaded scene holds.
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Texture.h"
#include "support/TestHumanoids.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <set>

namespace plimsa {
namespace {

struct SceneMemory {
    size_t meshBytes = 0;
    size_t textureBytes = 0;
    size_t nodes = 0;
};

// Bytes held by distinct geometries (vertex arrays and indices) and distinct textures, and the node count.
SceneMemory measure(Scene& scene) {
    SceneMemory memory;
    std::set<const Geometry*> geometries;
    std::set<const Texture*> textures;
    scene.rootNode().enumerateHierarchy([&](Node& node, bool&) {
        ++memory.nodes;
        const auto& geometry = node.geometry();
        if (!geometry || !geometries.insert(geometry.get()).second) return;
        const MeshData& mesh = geometry->mesh();
        memory.meshBytes += mesh.positions.size() * sizeof(glm::vec3) + mesh.normals.size() * sizeof(glm::vec3) +
                            mesh.texcoords.size() * sizeof(glm::vec2) + mesh.joints.size() * sizeof(glm::u16vec4) +
                            mesh.weights.size() * sizeof(glm::vec4);
        for (const GeometryElement& element : mesh.elements) memory.meshBytes += element.indices.size() * sizeof(uint32_t);
        for (const auto& material : geometry->materials())
            for (const auto* property : {&material->diffuse(), &material->normal(), &material->emission()})
                if (property->hasImage() && textures.insert(property->image.get()).second)
                    memory.textureBytes += property->image->image().byteCount();
    });
    return memory;
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void loadBytes(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        state.SkipWithError("model not available");
        return;
    }
    const GltfLoader loader;
    std::shared_ptr<Scene> scene;
    for (auto _ : state) {
        scene = loader.loadBytes(bytes).scene;
        benchmark::DoNotOptimize(scene);
    }
    if (!scene) {
        state.SkipWithError("model did not load");
        return;
    }
    const SceneMemory memory = measure(*scene);
    state.counters["fileKiB"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["meshKiB"] = static_cast<double>(memory.meshBytes) / 1024.0;
    state.counters["textureKiB"] = static_cast<double>(memory.textureBytes) / 1024.0;
    state.counters["nodes"] = static_cast<double>(memory.nodes);
}

void BM_LoadKayKitMannequin(benchmark::State& state) {
    loadBytes(state, readFile(TestHumanoids::sharedModel("kaykit-mannequin-medium.glb")));
}
void BM_LoadCesiumMan(benchmark::State& state) {
    loadBytes(state, readFile(TestHumanoids::sharedModel("khronos-cesiumman.glb")));
}
void BM_LoadHumanoid65Joints(benchmark::State& state) {
    loadBytes(state, TestHumanoids::bytes("humanoid-65-joints.glb"));
}
void BM_LoadHumanoidWith4096Texture(benchmark::State& state) {
    loadBytes(state, TestHumanoids::bytes("humanoid-texture-4096.glb"));
}

BENCHMARK(BM_LoadKayKitMannequin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCesiumMan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHumanoid65Joints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHumanoidWith4096Texture)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimsa
