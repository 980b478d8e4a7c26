#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfHumanoid.h"

#include <tiny_gltf.h>
#include <glm/glm.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plimsa {

class Node;

/// What the VRM extensions add to a glTF file: the humanoid bone map (VRM 1.0 "VRMC_vrm", VRM 0.x "VRM")
/// and what a toon (MToon) material draws with here. Every value is read with its type checked: a
/// malformed map loses its bad entries, never the model. Stateless; any thread.
class GltfVrm {
  public:
    /// The humanoid map, each bone resolved to the scene node built for its glTF node (`nodes`, by glTF
    /// index). An entry is left out when it names no humanoid bone, a bone already mapped, a node out of
    /// range, a node already mapped or one outside the scene under `sceneRoot`; one warning counts them.
    /// VRM 1.0 wins when a file carries both. Nothing when the file has no map or no entry survives.
    static std::optional<GltfHumanoid> humanoid(const tinygltf::Model& model,
                                                const std::vector<std::shared_ptr<Node>>& nodes,
                                                const Node& sceneRoot, std::vector<std::string>& warnings);

    /// How a material of a VRM avatar draws here.
    struct Toon {
        /// A toon or unlit shader of the VRM extensions: drawn plainly, without metalness.
        bool toon = false;
        /// VRM 0.x: the base colour texture (a texture index) and sRGB colour its material properties give.
        int mainTexture = -1;
        std::optional<glm::vec4> color;
    };
    static Toon toon(const tinygltf::Model& model, const tinygltf::Material& material);
};

}  // namespace plimsa
