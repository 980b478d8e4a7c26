#include "platform/gltf/GltfVrm.h"

#include "platform/scene/Node.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace plimsa {
namespace {

using Value = tinygltf::Value;

const Value& member(const Value& value, const char* key) {
    static const Value null;
    return value.IsObject() ? value.Get(key) : null;
}

const Value* extension(const tinygltf::ExtensionMap& extensions, const char* name) {
    const auto found = extensions.find(name);
    return found != extensions.end() && found->second.IsObject() ? &found->second : nullptr;
}

// A non-negative integer that fits an int, written as an integer or a whole real.
std::optional<size_t> index(const Value& value) {
    if (value.IsInt())
        return value.GetNumberAsInt() >= 0 ? std::optional<size_t>(value.GetNumberAsInt()) : std::nullopt;
    if (!value.IsReal()) return std::nullopt;
    const double number = value.GetNumberAsDouble();
    if (!std::isfinite(number) || number < 0.0 || number > 2147483647.0 || std::floor(number) != number)
        return std::nullopt;
    return static_cast<size_t>(number);
}

bool isHumanBone(std::string_view name) {
    static const std::array<std::string_view, 9> centre = {"hips", "spine", "chest",   "upperChest", "neck",
                                                           "head", "jaw",   "leftEye", "rightEye"};
    static const std::array<std::string_view, 8> limbs = {"Shoulder", "UpperArm", "LowerArm", "Hand",
                                                          "UpperLeg", "LowerLeg", "Foot",     "Toes"};
    static const std::array<std::string_view, 5> fingers = {"Thumb", "Index", "Middle", "Ring", "Little"};
    static const std::array<std::string_view, 4> joints = {"Metacarpal", "Proximal", "Intermediate",
                                                           "Distal"};
    if (std::find(centre.begin(), centre.end(), name) != centre.end()) return true;
    for (std::string_view side : {std::string_view("left"), std::string_view("right")}) {
        if (name.substr(0, side.size()) != side) continue;
        const std::string_view part = name.substr(side.size());
        if (std::find(limbs.begin(), limbs.end(), part) != limbs.end()) return true;
        for (std::string_view finger : fingers) {
            if (part.substr(0, finger.size()) != finger) continue;
            const std::string_view joint = part.substr(finger.size());
            if (std::find(joints.begin(), joints.end(), joint) != joints.end()) return true;
        }
    }
    return false;
}

const Node* topOf(const Node& node) {
    const Node* top = &node;
    while (top->parent() != nullptr) top = top->parent();
    return top;
}

// Collects entries, keeping the first of each bone and of each node.
class MapBuilder {
  public:
    MapBuilder(const std::vector<std::shared_ptr<Node>>& nodes, const Node& sceneRoot)
        : nodes_(nodes), sceneRoot_(sceneRoot), used_(nodes.size(), false) {}

    void add(const Value& bone, const Value& node) {
        const std::optional<size_t> at = index(node);
        const bool named = bone.IsString() && isHumanBone(bone.Get<std::string>());
        if (!named || !at || *at >= nodes_.size() || used_[*at] || humanoid_.bone(bone.Get<std::string>()) ||
            topOf(*nodes_[*at]) != &sceneRoot_) {
            ++ignored_;
            return;
        }
        used_[*at] = true;
        humanoid_.bones.emplace_back(bone.Get<std::string>(), nodes_[*at]);
    }

    std::optional<GltfHumanoid> finish(GltfHumanoid::Format format, std::vector<std::string>& warnings) {
        if (ignored_ > 0)
            warnings.push_back("the VRM humanoid map has " + std::to_string(ignored_) +
                               (ignored_ == 1 ? " entry" : " entries") +
                               " naming no bone of the model; ignored");
        if (humanoid_.bones.empty()) return std::nullopt;
        humanoid_.format = format;
        return std::move(humanoid_);
    }

  private:
    const std::vector<std::shared_ptr<Node>>& nodes_;
    const Node& sceneRoot_;
    std::vector<bool> used_;
    GltfHumanoid humanoid_;
    size_t ignored_ = 0;
};

glm::vec4 colorOf(const Value& value) {
    glm::vec4 color{1.0f};
    for (int i = 0; i < 4 && static_cast<size_t>(i) < value.ArrayLen(); ++i) {
        const Value& channel = value.Get(i);
        if (channel.IsNumber() && std::isfinite(channel.GetNumberAsDouble()))
            color[i] = static_cast<float>(std::clamp(channel.GetNumberAsDouble(), 0.0, 1.0));
    }
    return color;
}

}  // namespace

std::optional<GltfHumanoid> GltfVrm::humanoid(const tinygltf::Model& model,
                                              const std::vector<std::shared_ptr<Node>>& nodes,
                                              const Node& sceneRoot, std::vector<std::string>& warnings) {
    MapBuilder map(nodes, sceneRoot);
    // VRM 1.0: {"hips": {"node": 3}, ...}.
    if (const Value* vrm = extension(model.extensions, "VRMC_vrm")) {
        const Value& bones = member(member(*vrm, "humanoid"), "humanBones");
        if (bones.IsObject())
            for (const auto& [name, entry] : bones.Get<Value::Object>())
                map.add(Value(name), member(entry, "node"));
        return map.finish(GltfHumanoid::Format::vrm1, warnings);
    }
    // VRM 0.x: [{"bone": "hips", "node": 3}, ...].
    if (const Value* vrm = extension(model.extensions, "VRM")) {
        const Value& bones = member(member(*vrm, "humanoid"), "humanBones");
        if (bones.IsArray())
            for (const Value& entry : bones.Get<Value::Array>())
                map.add(member(entry, "bone"), member(entry, "node"));
        return map.finish(GltfHumanoid::Format::vrm0, warnings);
    }
    return std::nullopt;
}

GltfVrm::Toon GltfVrm::toon(const tinygltf::Model& model, const tinygltf::Material& material) {
    Toon toon;
    if (extension(material.extensions, "VRMC_materials_mtoon")) toon.toon = true;
    const Value* vrm = extension(model.extensions, "VRM");
    if (vrm == nullptr) return toon;
    const Value& properties = member(*vrm, "materialProperties");
    if (!properties.IsArray()) return toon;
    for (const Value& entry : properties.Get<Value::Array>()) {
        const Value& name = member(entry, "name");
        if (!name.IsString() || name.Get<std::string>() != material.name) continue;
        const Value& shader = member(entry, "shader");
        toon.toon = toon.toon || (shader.IsString() && shader.Get<std::string>().rfind("VRM/", 0) == 0);
        if (const std::optional<size_t> texture =
                index(member(member(entry, "textureProperties"), "_MainTex"));
            texture && *texture < model.textures.size())
            toon.mainTexture = static_cast<int>(*texture);
        if (const Value& color = member(member(entry, "vectorProperties"), "_Color"); color.IsArray())
            toon.color = colorOf(color);
        break;
    }
    return toon;
}

}  // namespace plimsa
