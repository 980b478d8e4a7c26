#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfBudget.h"
#include "platform/gltf/GltfHumanoid.h"
#include "platform/gltf/GltfLimits.h"

#include <tiny_gltf.h>
#include <glm/glm.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plimsa {

class Node;
class Scene;

/// The build phase on a validated document: one scene node per glTF node (name, transform, children),
/// geometries from GltfMeshBuilder, skinners over the joint nodes, and the default scene's root nodes
/// (scene 0 without a default; every parentless node without any scene) under the new scene's root.
/// Everything allocated in proportion to a declared count is charged to one budget of
/// `limits.maxDecodedBytes` first. Each skin's inverse bind matrices are read once, only as many as it has
/// joints, and shared by the skinners of every node that uses the skin. One instance per build; not
/// thread-safe.
class GltfSceneBuilder {
  public:
    GltfSceneBuilder(const tinygltf::Model& model, const GltfLimits& limits,
                     std::vector<std::string>& warnings)
        : model_(model), limits_(limits), warnings_(warnings), budget_(limits.maxDecodedBytes) {}

    /// Null with `error` set when the data is bad or past the budget (see GltfLoader::build).
    std::shared_ptr<Scene> build(std::string& error);
    /// The VRM humanoid map of the scene last built, over its nodes (see GltfVrm::humanoid).
    std::optional<GltfHumanoid>& humanoid() { return humanoid_; }

  private:
    bool buildGeometry(std::string& error);
    std::shared_ptr<Node> makeNode(const tinygltf::Node& source) const;
    bool attachSkin(const tinygltf::Node& source, Node& node, uint32_t maxJoint, std::string& error);
    std::shared_ptr<const std::vector<glm::mat4>> inverseBindMatrices(size_t skin, std::string& error);
    std::vector<int> rootNodes() const;

    const tinygltf::Model& model_;
    const GltfLimits& limits_;
    std::vector<std::string>& warnings_;
    GltfBudget budget_;
    std::vector<std::shared_ptr<Node>> nodes_;
    std::vector<std::shared_ptr<const std::vector<glm::mat4>>> inverseBinds_;  // by skin, once read
    std::optional<GltfHumanoid> humanoid_;
};

}  // namespace plimsa
