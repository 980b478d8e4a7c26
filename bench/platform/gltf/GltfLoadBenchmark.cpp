// Loading time (bytes in memory to a ready scene), the memory the loaded scene holds, and the heap a load
// peaks at; hostile seeds of the fuzz corpus must be refused quickly and cheaply.
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Texture.h"
#include "support/TestHumanoids.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <set>

// Every operator new of the process is counted, so that a benchmark can report the peak a load reached
// above what was allocated before it (decoded images come from malloc and are not counted).
namespace {
std::atomic<size_t> heapNow{0};
std::atomic<size_t> heapPeak{0};
}  // namespace

void* operator new(size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    const size_t now = heapNow += malloc_usable_size(block);
    for (size_t peak = heapPeak; now > peak && !heapPeak.compare_exchange_weak(peak, now);) {
    }
    return block;
}
void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    heapNow -= malloc_usable_size(block);
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}

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
        memory.meshBytes +=
            mesh.positions.size() * sizeof(glm::vec3) + mesh.normals.size() * sizeof(glm::vec3) +
            mesh.texcoords.size() * sizeof(glm::vec2) + mesh.joints.size() * sizeof(glm::u16vec4) +
            mesh.weights.size() * sizeof(glm::vec4);
        for (const GeometryElement& element : mesh.elements)
            memory.meshBytes += element.indices.size() * sizeof(uint32_t);
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

// The largest heap growth one load of `bytes` reaches, in MiB.
double peakMiB(const std::vector<uint8_t>& bytes) {
    const size_t before = heapNow;
    heapPeak = before;
    benchmark::DoNotOptimize(GltfLoader().loadBytes(bytes));
    return static_cast<double>(heapPeak - before) / (1024.0 * 1024.0);
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
    state.counters["peakHeapMiB"] = peakMiB(bytes);
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

// The same .glb with the VRM extensions taken out of its JSON chunk: the avatar's body as a plain model.
std::vector<uint8_t> withoutVrm(const std::vector<uint8_t>& glb) {
    const auto word = [&](size_t at) {
        uint32_t value = 0;
        std::memcpy(&value, glb.data() + at, 4);
        return value;
    };
    if (glb.size() < 20 || 20 + size_t{word(12)} > glb.size()) return {};
    nlohmann::json json = nlohmann::json::parse(glb.begin() + 20, glb.begin() + 20 + word(12));
    json.erase("extensions");
    json.erase("extensionsUsed");
    for (auto& material : json["materials"]) material.erase("extensions");
    std::string text = json.dump();
    text.resize((text.size() + 3) & ~size_t{3}, ' ');
    std::vector<uint8_t> out(glb.begin(), glb.begin() + 12);
    const auto put = [&](uint32_t value) {
        out.insert(out.end(), reinterpret_cast<uint8_t*>(&value), reinterpret_cast<uint8_t*>(&value) + 4);
    };
    put(static_cast<uint32_t>(text.size()));
    put(0x4E4F534Au);  // "JSON"
    out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), glb.begin() + 20 + word(12), glb.end());
    const auto total = static_cast<uint32_t>(out.size());
    std::memcpy(out.data() + 8, &total, 4);
    return out;
}

// A VRM avatar (65 joints, humanoid map, toon materials, a 256 x 128 PNG) against the same body without its
// VRM extensions: what reading the map and the toon materials costs.
void BM_LoadVrm1Avatar(benchmark::State& state) {
    loadBytes(state, TestHumanoids::bytes("humanoid-vrm1.vrm"));
}
void BM_LoadVrm0Avatar(benchmark::State& state) {
    loadBytes(state, TestHumanoids::bytes("humanoid-vrm0.vrm"));
}
void BM_LoadVrm1BodyAsPlainGlb(benchmark::State& state) {
    loadBytes(state, withoutVrm(TestHumanoids::bytes("humanoid-vrm1.vrm")));
}

// Hostile seeds (tiny files asking for gigabytes) and one that declares 24 million inverse binds.
void refuse(benchmark::State& state, const char* seed) {
    const std::vector<uint8_t> bytes =
        readFile(std::filesystem::path(PLIMSA_SOURCE_DIR) / "fuzz/corpus/gltf" / seed);
    if (bytes.empty()) {
        state.SkipWithError("seed not available");
        return;
    }
    const GltfLoader loader;
    bool loaded = false;
    for (auto _ : state) loaded = static_cast<bool>(loader.loadBytes(bytes));
    state.counters["loaded"] = loaded ? 1.0 : 0.0;
    state.counters["fileKiB"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["peakHeapMiB"] = peakMiB(bytes);
}
void BM_RefuseSkinnedCrowd(benchmark::State& state) {
    refuse(state, "hostile-skinned-crowd.glb");
}
void BM_RefuseEmptyVertices(benchmark::State& state) {
    refuse(state, "hostile-empty-vertices.glb");
}
void BM_LoadEndlessInverseBinds(benchmark::State& state) {
    refuse(state, "inverse-binds-24m.glb");
}

BENCHMARK(BM_RefuseSkinnedCrowd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseEmptyVertices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEndlessInverseBinds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadKayKitMannequin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCesiumMan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHumanoid65Joints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHumanoidWith4096Texture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadVrm1Avatar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadVrm0Avatar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadVrm1BodyAsPlainGlb)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plimsa
