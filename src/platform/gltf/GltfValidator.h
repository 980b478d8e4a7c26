#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfLimits.h"

#include <tiny_gltf.h>

#include <set>
#include <string>

namespace plimsa {

/// The validate phase: every cross-reference of the document points at something that exists, every
/// accessor the scene will read lies inside its buffer with a type fit for its use, the node graph is a
/// forest (no cycles, no node with two parents, not too deep), and the counts stay within the limits.
/// Data-dependent checks (index values, joint values) happen while building. Any thread.
class GltfValidator {
public:
    GltfValidator(const tinygltf::Model& model, const GltfLimits& limits) : model_(model), limits_(limits) {}

    /// False with `error` naming the first problem found.
    bool validate(std::string& error) const;

private:
    bool checkExtensions(std::string& error) const;
    bool checkBufferViews(std::string& error) const;
    bool checkNodes(std::string& error) const;
    bool checkHierarchy(std::string& error) const;
    bool checkMeshes(std::string& error) const;
    bool checkPrimitive(const tinygltf::Primitive& primitive, const std::string& name, size_t& vertices,
                        size_t& indices, std::set<int>& countedPositions, std::string& error) const;
    bool checkSkins(std::string& error) const;
    bool checkMaterials(std::string& error) const;
    bool checkScenes(std::string& error) const;
    bool checkAccessor(int accessor, std::initializer_list<int> types, std::initializer_list<int> componentTypes,
                       const std::string& use, std::string& error) const;

    const tinygltf::Model& model_;
    const GltfLimits& limits_;
};

}  // namespace plimsa
