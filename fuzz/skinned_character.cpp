// Fuzz target: a generated rigged humanoid, damaged by the input, loaded, adopted by a SkinnedCharacter (with
// its VRM humanoid map, if any) and posed in every body and hand mode with input-driven pose values. Input
// layout: one byte picks the humanoid, one byte gives the number of damage records (0 to 16); then those
// records of five bytes each (a little-endian offset and a value written there, the offset folded into the
// JSON chunk when its top bit is clear); the bytes left over drive the pose.
// Each humanoid is generated once per process and thinned to every 64th triangle, so that an input
// costs little and the fuzzer gets to grow its inputs.
#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Json = nlohmann::json;

uint32_t word(const Bytes& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

size_t componentBytes(int type) {
    return type == 5121 ? 1 : type == 5123 ? 2 : 4;
}

size_t elementBytes(const Json& accessor) {
    const std::string type = accessor.at("type");
    const size_t components = type == "SCALAR" ? 1
                              : type == "VEC2" ? 2
                              : type == "VEC3" ? 3
                              : type == "MAT4" ? 16
                                               : 4;
    return components * componentBytes(accessor.at("componentType"));
}

// Where an accessor's first element starts in the BIN chunk, and the step to the next one.
std::pair<size_t, size_t> layout(const Json& json, const Json& accessor) {
    const Json& view = json.at("bufferViews").at(accessor.at("bufferView").get<size_t>());
    const size_t stride = view.value("byteStride", size_t{0});
    return {view.value("byteOffset", size_t{0}) + accessor.value("byteOffset", size_t{0}),
            stride == 0 ? elementBytes(accessor) : stride};
}

// Each buffer view cut to what its accessors read (views no accessor reads, such as images, kept whole) and
// packed, so that a thinned humanoid is small to copy and to load.
Bytes packed(Json& json, const Bytes& bin) {
    Json& views = json.at("bufferViews");
    std::vector<size_t> used(views.size(), 0);
    std::vector<bool> read(views.size(), false);
    for (const Json& accessor : json.at("accessors")) {
        const size_t view = accessor.at("bufferView");
        const auto [start, step] = layout(json, accessor);
        const size_t count = accessor.at("count");
        const size_t end = start - views.at(view).value("byteOffset", size_t{0}) +
                           (count == 0 ? 0 : (count - 1) * step + elementBytes(accessor));
        used[view] = std::max(used[view], end);
        read[view] = true;
    }
    Bytes out;
    for (size_t v = 0; v < views.size(); ++v) {
        const size_t offset = views[v].value("byteOffset", size_t{0});
        const size_t length = read[v] ? used[v] : views[v].at("byteLength").get<size_t>();
        out.resize((out.size() + 3) & ~size_t{3});
        views[v]["byteOffset"] = out.size();
        views[v]["byteLength"] = length;
        out.insert(out.end(), bin.begin() + static_cast<long>(offset),
                   bin.begin() + static_cast<long>(offset + length));
    }
    out.resize((out.size() + 3) & ~size_t{3});
    json.at("buffers").at(0)["byteLength"] = out.size();
    return out;
}

// Every `keep`-th triangle of the first mesh (whose primitives share one vertex set) and the vertices those
// use. The .glb unchanged when it is not laid out that way.
Bytes thinned(const Bytes& glb, size_t keep) try {
    const size_t jsonLength = word(glb, 12);
    Json json = Json::parse(glb.begin() + 20, glb.begin() + 20 + static_cast<long>(jsonLength));
    const Bytes original(glb.begin() + static_cast<long>(20 + jsonLength + 8), glb.end());
    Bytes bin = original;
    Json& primitives = json.at("meshes").at(0).at("primitives");
    const size_t position = primitives.at(0).at("attributes").at("POSITION");
    std::vector<int64_t> renumbered(json.at("accessors").at(position).at("count").get<size_t>(), -1);
    std::vector<uint32_t> order;  // old vertex of each new one
    for (Json& primitive : primitives) {
        Json& accessor = json.at("accessors").at(primitive.at("indices").get<size_t>());
        const auto [start, step] = layout(json, accessor);
        const int type = accessor.at("componentType");
        std::vector<uint32_t> kept;
        for (size_t t = 0; t + 3 <= accessor.at("count").get<size_t>(); t += 3 * keep) {
            for (size_t k = t; k < t + 3; ++k) {
                uint32_t old = 0;
                std::memcpy(&old, original.data() + start + k * step, componentBytes(type));
                if (renumbered.at(old) < 0) {
                    renumbered[old] = static_cast<int64_t>(order.size());
                    order.push_back(old);
                }
                kept.push_back(static_cast<uint32_t>(renumbered[old]));
            }
        }
        for (size_t k = 0; k < kept.size(); ++k)
            std::memcpy(bin.data() + start + k * step, &kept[k], componentBytes(type));
        accessor["count"] = kept.size();
    }
    for (const auto& [name, index] : primitives.at(0).at("attributes").items()) {
        Json& accessor = json.at("accessors").at(index.get<size_t>());
        const auto [start, step] = layout(json, accessor);
        for (size_t v = 0; v < order.size(); ++v)
            std::memcpy(bin.data() + start + v * step, original.data() + start + order[v] * step,
                        elementBytes(accessor));
        accessor["count"] = order.size();
        accessor.erase("min");
        accessor.erase("max");
    }
    bin = packed(json, bin);
    std::string text = json.dump();
    text.resize((text.size() + 3) & ~size_t{3}, ' ');
    const auto total = static_cast<uint32_t>(12 + 8 + text.size() + 8 + bin.size());
    const uint32_t header[] = {0x46546C67, 2, total, static_cast<uint32_t>(text.size()), 0x4E4F534A};
    Bytes out(reinterpret_cast<const uint8_t*>(header),
              reinterpret_cast<const uint8_t*>(header) + sizeof header);
    out.insert(out.end(), text.begin(), text.end());
    const uint32_t binHeader[] = {static_cast<uint32_t>(bin.size()), 0x004E4942};
    out.insert(out.end(), reinterpret_cast<const uint8_t*>(binHeader),
               reinterpret_cast<const uint8_t*>(binHeader) + 8);
    out.insert(out.end(), bin.begin(), bin.end());
    return out;
} catch (const std::exception&) {
    return glb;
}

const Bytes& humanoid(uint8_t pick) {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const std::string& name : plimsa::TestHumanoids::fileNames()) {
            // The 4096 px texture is too slow to decode per input; thinning reads only .glb and .vrm files.
            if (name != "humanoid-texture-4096.glb" && !name.ends_with(".gltf")) list.push_back(name);
        }
        return list;
    }();
    static std::map<std::string, Bytes> cache;
    const std::string& name = names[pick % names.size()];
    auto [entry, isNew] = cache.try_emplace(name);
    if (isNew) entry->second = thinned(plimsa::TestHumanoids::bytes(name), 64);
    return entry->second;
}

// The end of the JSON chunk of a .glb (header 12 bytes, chunk header 8).
size_t jsonEnd(const Bytes& glb) {
    if (glb.size() < 20) return glb.size();
    return std::min<size_t>(glb.size(), size_t{20} + word(glb, 12));
}

double unit(uint8_t byte) {
    return (static_cast<double>(byte) - 128.0) / 32.0;
}  // -4 .. 4

plimsa::CharacterPose pose(const uint8_t* data, size_t size, int variant) {
    plimsa::CharacterPose pose;
    auto at = [&](size_t i) -> uint8_t {
        return size == 0 ? 0 : data[(i + static_cast<size_t>(variant) * 7) % size];
    };
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
    if (variant == 3)
        pose.ropes = {plimsa::Rope{{-0.4f, 0.0f, 0.0f}, {-0.4f, static_cast<float>(unit(at(15))), 0.0f}}};
    return pose;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    Bytes glb = humanoid(data[0]);
    const size_t records = data[1] % 17;
    size_t at = 2;
    for (; at + 5 <= size && at < 2 + 5 * records; at += 5) {
        uint32_t offset = 0;
        std::memcpy(&offset, data + at, 4);
        const size_t limit = (offset & 0x80000000u) ? glb.size() : jsonEnd(glb);
        if (limit > 0) glb[offset % limit] = data[at + 4];
    }
    static const plimsa::GltfLoader loader;
    const plimsa::GltfLoadResult loaded = loader.loadBytes(glb);
    if (!loaded) return 0;
    plimsa::SkinnedCharacter character(*loaded.scene, loaded.humanoid ? &*loaded.humanoid : nullptr);
    auto frame = plimsa::Node::make();
    frame->addChildNode(character.root());
    for (int variant = 0; variant < 4; ++variant) {
        character.apply(pose(data + at, size - at, variant), *frame);
    }
    (void)character.root()->childNodes().front()->worldTransform();
    return 0;
}
