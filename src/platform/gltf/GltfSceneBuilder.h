#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfLimits.h"

#include <tiny_gltf.h>

#include <memory>
#include <string>
#include <vector>

namespace plimsa {

class Node;
class Scene;

/// The build phase on a validated document: one scene node per glTF node (name, transform, children),
/// geometries from GltfMeshBuilder, skinners over the joint nodes, and the default scene's root nodes
/// (scene 0 without a default; every parentless node without any scene) under the new scene's root.
/// One instance per build; not thread-safe.
class GltfSceneBuilder {
public:
    GltfSceneBuilder(const tinygltf::Model& model, const GltfLimits& limits, std::vector<std::string>& warnings)
        : model_(model), limits_(limits), warnings_(warnings) {}

    /// Null with `error` set when the data is bad (see GltfLoader::build).
    std::shared_ptr<Scene> build(std::string& error);

private:
    std::shared_ptr<Node> makeNode(const tinygltf::Node& source) const;
    bool attachSkin(const tinygltf::Node& source, Node& node, uint32_t maxJoint, std::string& error) const;
    std::vector<int> rootNodes() const;

    const tinygltf::Model& model_;
    const GltfLimits& limits_;
    std::vector<std::string>& warnings_;
    std::vector<std::shared_ptr<Node>> nodes_;
};

}  // namespace plimsa
