// Fuzz target: a generated rigged humanoid, damaged by the input, loaded, adopted by a SkinnedCharacter
// and posed in every body and hand mode with input-driven pose values. Input layout: one byte picks the
// humanoid; then records of five bytes each (a little-endian offset and a value written there, the
// offset folded into the JSON chunk when its top bit is clear); the last bytes left over drive the pose.
#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes& humanoid(uint8_t pick) {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const std::string& name : plimsa::TestHumanoids::fileNames()) {
            if (name != "humanoid-texture-4096.glb") list.push_back(name);  // too slow to decode per input
        }
        return list;
    }();
    static std::map<std::string, Bytes> cache;
    const std::string& name = names[pick % names.size()];
    auto [entry, isNew] = cache.try_emplace(name);
    if (isNew) entry->second = plimsa::TestHumanoids::bytes(name);
    return entry->second;
}

// The end of the JSON chunk of a .glb (header 12 bytes, chunk header 8).
size_t jsonEnd(const Bytes& glb) {
    if (glb.size() < 20) return glb.size();
    uint32_t length = 0;
    std::memcpy(&length, glb.data() + 12, 4);
    return std::min<size_t>(glb.size(), size_t{20} + length);
}

double unit(uint8_t byte) { return (static_cast<double>(byte) - 128.0) / 32.0; }  // -4 .. 4

plimsa::CharacterPose pose(const uint8_t* data, size_t size, int variant) {
    plimsa::CharacterPose pose;
    auto at = [&](size_t i) -> uint8_t { return size == 0 ? 0 : data[(i + static_cast<size_t>(variant) * 7) % size]; };
    pose.leg = unit(at(0));
    pose.time = unit(at(1)) * 10.0;
    pose.headYaw = unit(at(2));
    pose.sizeMultiplier = 0.5 + (at(3) / 255.0) * 1.5;
    pose.gripReach = at(4) / 200.0;
    pose.chainXs = {unit(at(5)) / 4.0, unit(at(6)) / 4.0};
    pose.foldedLeg = static_cast<int>(at(7) % 4) - 1;
    pose.kneeHandSide = at(8) % 2 ? 1.0f : -1.0f;
    pose.handLeft = static_cast<plimsa::HandMode>(at(9) % 3);
    pose.handRight = static_cast<plimsa::HandMode>(at(10) % 3);
    pose.standing = variant == 1;
    pose.floorSit = variant == 2;
    if (at(11) % 2) pose.lookTarget = glm::vec3(unit(at(12)), unit(at(13)), unit(at(14)));
    if (variant == 3) pose.ropes = {plimsa::Rope{{-0.4f, 0.0f, 0.0f}, {-0.4f, static_cast<float>(unit(at(15))), 0.0f}}};
    return pose;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Bytes glb = humanoid(data[0]);
    size_t at = 1;
    for (; at + 5 <= size && at < 1 + 5 * 16; at += 5) {
        uint32_t offset = 0;
        std::memcpy(&offset, data + at, 4);
        const size_t limit = (offset & 0x80000000u) ? glb.size() : jsonEnd(glb);
        if (limit > 0) glb[offset % limit] = data[at + 4];
    }
    static const plimsa::GltfLoader loader;
    const plimsa::GltfLoadResult loaded = loader.loadBytes(glb);
    if (!loaded) return 0;
    plimsa::SkinnedCharacter character(*loaded.scene);
    auto frame = plimsa::Node::make();
    frame->addChildNode(character.root());
    for (int variant = 0; variant < 4; ++variant) {
        character.apply(pose(data + at, size - at, variant), *frame);
    }
    (void)character.root()->childNodes().front()->worldTransform();
    return 0;
}
