#include "platform/gltf/GltfValidator.h"

#include "platform/gltf/GltfAccessors.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

namespace plimsa {
namespace {

bool validIndex(int index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) < size;
}
bool optionalIndex(int index, size_t size) {
    return index == -1 || validIndex(index, size);
}

template <typename T>
bool contains(std::initializer_list<T> list, T value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

constexpr int kByte = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
constexpr int kShort = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
constexpr int kInt = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;

}  // namespace

bool GltfValidator::validate(std::string& error) const {
    const size_t arrayCap = limits_.maxArrayEntries;
    if (model_.nodes.size() > limits_.maxNodes || model_.meshes.size() > arrayCap ||
        model_.accessors.size() > arrayCap || model_.materials.size() > arrayCap ||
        model_.images.size() > arrayCap) {
        error = "the document has too many objects";
        return false;
    }
    return checkExtensions(error) && checkBufferViews(error) && checkNodes(error) && checkHierarchy(error) &&
           checkMeshes(error) && checkSkins(error) && checkMaterials(error) && checkScenes(error);
}

// A required extension changes how data must be read (compressed or quantised meshes, for one); loading
// such a file without it would draw garbage, so it is refused. The VRM extensions and emissive strength only
// add to data that reads correctly without them (bone maps, toon shading, spring bones, constraints, glow).
bool GltfValidator::checkExtensions(std::string& error) const {
    static const std::initializer_list<std::string_view> kSupported = {
        "KHR_texture_transform",
        "KHR_materials_unlit",
        "KHR_materials_emissive_strength",
        "VRM",
        "VRMC_vrm",
        "VRMC_materials_mtoon",
        "VRMC_springBone",
        "VRMC_node_constraint",
        "VRMC_materials_hdr_emissiveMultiplier"};
    for (const std::string& required : model_.extensionsRequired) {
        if (std::find(kSupported.begin(), kSupported.end(), required) == kSupported.end()) {
            error = "the file requires the unsupported extension " + required;
            return false;
        }
    }
    return true;
}

bool GltfValidator::checkBufferViews(std::string& error) const {
    for (size_t i = 0; i < model_.bufferViews.size(); ++i) {
        const tinygltf::BufferView& view = model_.bufferViews[i];
        if (!validIndex(view.buffer, model_.buffers.size())) {
            error = "bufferView " + std::to_string(i) + " refers to a missing buffer";
            return false;
        }
        const size_t size = model_.buffers[static_cast<size_t>(view.buffer)].data.size();
        if (view.byteOffset > size || view.byteLength > size - view.byteOffset) {
            error = "bufferView " + std::to_string(i) + " lies outside its buffer";
            return false;
        }
    }
    return true;
}

bool GltfValidator::checkAccessor(int accessor, std::initializer_list<int> types,
                                  std::initializer_list<int> componentTypes, const std::string& use,
                                  std::string& error) const {
    GltfAccessors accessors(model_);
    if (!accessors.isReadable(accessor, std::max(limits_.maxVertices, limits_.maxIndices), error)) {
        error = use + ": " + error;
        return false;
    }
    const tinygltf::Accessor& a = model_.accessors[static_cast<size_t>(accessor)];
    if (!contains(types, a.type) || !contains(componentTypes, a.componentType)) {
        error = use + ": accessor " + std::to_string(accessor) + " has the wrong type";
        return false;
    }
    return true;
}

bool GltfValidator::checkNodes(std::string& error) const {
    for (size_t i = 0; i < model_.nodes.size(); ++i) {
        const tinygltf::Node& node = model_.nodes[i];
        const std::string name = "node " + std::to_string(i);
        if (!optionalIndex(node.mesh, model_.meshes.size()) ||
            !optionalIndex(node.skin, model_.skins.size()) ||
            !optionalIndex(node.camera, model_.cameras.size())) {
            error = name + " refers to a missing mesh, skin or camera";
            return false;
        }
        for (int child : node.children) {
            if (!validIndex(child, model_.nodes.size()) || static_cast<size_t>(child) == i) {
                error = name + " has an invalid child";
                return false;
            }
        }
        const bool shapes = (node.matrix.empty() || node.matrix.size() == 16) &&
                            (node.translation.empty() || node.translation.size() == 3) &&
                            (node.rotation.empty() || node.rotation.size() == 4) &&
                            (node.scale.empty() || node.scale.size() == 3);
        if (!shapes) {
            error = name + " has a malformed transform";
            return false;
        }
    }
    return true;
}

// The nodes must form a forest: one parent at most, no cycles, bounded depth.
bool GltfValidator::checkHierarchy(std::string& error) const {
    const size_t count = model_.nodes.size();
    std::vector<int> parent(count, -1);
    for (size_t i = 0; i < count; ++i) {
        for (int child : model_.nodes[i].children) {
            if (parent[static_cast<size_t>(child)] != -1) {
                error = "node " + std::to_string(child) + " has two parents";
                return false;
            }
            parent[static_cast<size_t>(child)] = static_cast<int>(i);
        }
    }
    // depth[i]: 0 unknown, otherwise the node's depth; a walk up longer than the node count is a cycle.
    std::vector<int> depth(count, 0);
    std::vector<size_t> chain;
    for (size_t i = 0; i < count; ++i) {
        chain.clear();
        size_t node = i;
        while (depth[node] == 0 && parent[node] != -1 && chain.size() <= count) {
            chain.push_back(node);
            node = static_cast<size_t>(parent[node]);
        }
        if (chain.size() > count) {
            error = "the node hierarchy has a cycle";
            return false;
        }
        int level = depth[node] == 0 ? 1 : depth[node];
        depth[node] = level;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) depth[*it] = ++level;
        if (level > limits_.maxHierarchyDepth) {
            error = "the node hierarchy is nested too deeply";
            return false;
        }
    }
    return true;
}

bool GltfValidator::checkMeshes(std::string& error) const {
    size_t vertices = 0;
    size_t indices = 0;
    std::set<int> countedPositions;
    for (size_t m = 0; m < model_.meshes.size(); ++m) {
        const auto& primitives = model_.meshes[m].primitives;
        if (primitives.size() > limits_.maxArrayEntries) {
            error = "mesh " + std::to_string(m) + " has too many primitives";
            return false;
        }
        for (size_t p = 0; p < primitives.size(); ++p) {
            const std::string name = "mesh " + std::to_string(m) + " primitive " + std::to_string(p);
            if (!checkPrimitive(primitives[p], name, vertices, indices, countedPositions, error))
                return false;
        }
    }
    if (vertices > limits_.maxVertices || indices > limits_.maxIndices) {
        error = "the meshes have more vertices or indices than allowed";
        return false;
    }
    return true;
}

bool GltfValidator::checkPrimitive(const tinygltf::Primitive& primitive, const std::string& name,
                                   size_t& vertices, size_t& indices, std::set<int>& countedPositions,
                                   std::string& error) const {
    if (primitive.mode < TINYGLTF_MODE_POINTS || primitive.mode > TINYGLTF_MODE_TRIANGLE_FAN ||
        !optionalIndex(primitive.material, model_.materials.size())) {
        error = name + " has an invalid mode or material";
        return false;
    }
    const auto position = primitive.attributes.find("POSITION");
    if (position == primitive.attributes.end()) return true;  // nothing to draw; skipped when building
    if (!checkAccessor(position->second, {TINYGLTF_TYPE_VEC3}, {kFloat}, name + " POSITION", error))
        return false;
    const size_t count = model_.accessors[static_cast<size_t>(position->second)].count;
    struct Use {
        const char* attribute;
        std::initializer_list<int> types;
        std::initializer_list<int> components;
    };
    const Use uses[] = {
        {"NORMAL", {TINYGLTF_TYPE_VEC3}, {kFloat}},
        {"TEXCOORD_0", {TINYGLTF_TYPE_VEC2}, {kFloat, kByte, kShort}},
        {"TEXCOORD_1", {TINYGLTF_TYPE_VEC2}, {kFloat, kByte, kShort}},
        {"JOINTS_0", {TINYGLTF_TYPE_VEC4}, {kByte, kShort}},
        {"WEIGHTS_0", {TINYGLTF_TYPE_VEC4}, {kFloat, kByte, kShort}},
    };
    for (const Use& use : uses) {
        const auto found = primitive.attributes.find(use.attribute);
        if (found == primitive.attributes.end()) continue;
        if (!checkAccessor(found->second, use.types, use.components, name + " " + use.attribute, error))
            return false;
        if (model_.accessors[static_cast<size_t>(found->second)].count != count) {
            error = name + " " + use.attribute + " does not match the vertex count";
            return false;
        }
    }
    // Primitives that share their vertices are built once.
    if (countedPositions.insert(position->second).second) vertices += count;
    size_t indexCount = count;
    if (primitive.indices >= 0) {
        if (!checkAccessor(primitive.indices, {TINYGLTF_TYPE_SCALAR}, {kByte, kShort, kInt},
                           name + " indices", error))
            return false;
        indexCount = model_.accessors[static_cast<size_t>(primitive.indices)].count;
    }
    indices +=
        primitive.mode == TINYGLTF_MODE_TRIANGLES ? indexCount : indexCount * 3;  // strips and fans expand
    return true;
}

bool GltfValidator::checkSkins(std::string& error) const {
    for (size_t s = 0; s < model_.skins.size(); ++s) {
        const tinygltf::Skin& skin = model_.skins[s];
        const std::string name = "skin " + std::to_string(s);
        if (skin.joints.size() > limits_.maxNodes || !optionalIndex(skin.skeleton, model_.nodes.size()) ||
            std::any_of(skin.joints.begin(), skin.joints.end(),
                        [&](int joint) { return !validIndex(joint, model_.nodes.size()); })) {
            error = name + " refers to missing nodes";
            return false;
        }
        if (skin.inverseBindMatrices >= 0) {
            if (!checkAccessor(skin.inverseBindMatrices, {TINYGLTF_TYPE_MAT4}, {kFloat},
                               name + " inverse binds", error))
                return false;
            if (model_.accessors[static_cast<size_t>(skin.inverseBindMatrices)].count < skin.joints.size()) {
                error = name + " has fewer inverse bind matrices than joints";
                return false;
            }
        }
    }
    return true;
}

bool GltfValidator::checkMaterials(std::string& error) const {
    const size_t textures = model_.textures.size();
    for (size_t m = 0; m < model_.materials.size(); ++m) {
        const tinygltf::Material& material = model_.materials[m];
        if (!optionalIndex(material.pbrMetallicRoughness.baseColorTexture.index, textures) ||
            !optionalIndex(material.normalTexture.index, textures) ||
            !optionalIndex(material.emissiveTexture.index, textures)) {
            error = "material " + std::to_string(m) + " refers to a missing texture";
            return false;
        }
    }
    for (size_t t = 0; t < textures; ++t) {
        if (!optionalIndex(model_.textures[t].source, model_.images.size()) ||
            !optionalIndex(model_.textures[t].sampler, model_.samplers.size())) {
            error = "texture " + std::to_string(t) + " refers to a missing image or sampler";
            return false;
        }
    }
    return true;
}

bool GltfValidator::checkScenes(std::string& error) const {
    if (!optionalIndex(model_.defaultScene, model_.scenes.size())) {
        error = "the default scene does not exist";
        return false;
    }
    for (size_t s = 0; s < model_.scenes.size(); ++s) {
        for (int node : model_.scenes[s].nodes) {
            if (!validIndex(node, model_.nodes.size())) {
                error = "scene " + std::to_string(s) + " refers to a missing node";
                return false;
            }
        }
    }
    return true;
}

}  // namespace plimsa
