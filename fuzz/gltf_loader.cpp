// Fuzz target: bytes loaded from memory as a .glb (when they start with its magic) or as .gltf JSON,
// through all three phases, then the built scene and any VRM humanoid map are walked as a renderer would.
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

plimsa::GltfLimits fuzzLimits() {
    // Smaller than the defaults so that each input stays fast; the checks are the same.
    plimsa::GltfLimits limits;
    limits.maxFileBytes = size_t{4} << 20;
    limits.maxBufferBytes = size_t{4} << 20;
    limits.maxVertices = 100'000;
    limits.maxIndices = 300'000;
    limits.maxImagePixels = size_t{1} << 20;
    limits.maxImageSide = 2048;
    limits.maxDecodedBytes = size_t{32} << 20;
    return limits;
}

void walk(plimsa::Node& root) {
    std::vector<glm::mat4> joints;
    root.enumerateHierarchy([&](plimsa::Node& node, bool&) {
        (void)node.worldTransform();
        if (const auto& geometry = node.geometry()) {
            (void)geometry->boundingBox();
            for (size_t i = 0; i < geometry->elements().size(); ++i) (void)geometry->materialForElement(i);
            if (const auto& skinner = node.skinner()) {
                skinner->jointMatrices(joints);
                if (geometry->vertexCount() > 0) (void)skinner->skinnedPosition(*geometry, 0, joints);
                (void)skinner->worldBoundingBox(*geometry);
            }
        }
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const plimsa::GltfLoader loader(fuzzLimits());
    const plimsa::GltfLoadResult result = loader.loadBytes(std::span<const uint8_t>(data, size));
    if (result.scene) walk(result.scene->rootNode());
    if (result.humanoid)
        for (const auto& [bone, node] : result.humanoid->bones) (void)node->worldTransform();
    return 0;
}
