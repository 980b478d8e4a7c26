#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plimsa {

class Node;

/// The humanoid bone map a VRM avatar carries in its glTF extensions ("VRMC_vrm" for VRM 1.0, "VRM" for
/// VRM 0.x), resolved to the nodes of the loaded scene. Plain value; the nodes are shared with the scene.
struct GltfHumanoid {
    enum class Format { vrm0, vrm1 };

    Format format = Format::vrm1;
    /// The map's bone names as the format spells them ("hips", "spine", "chest", "neck", "head",
    /// "leftUpperLeg", "leftLowerLeg", "leftFoot", "leftUpperArm", "leftLowerArm", "leftHand",
    /// "leftIndexProximal", ...), each with the node it names; entries naming no node are left out.
    std::vector<std::pair<std::string, std::shared_ptr<Node>>> bones;

    /// The node the map gives for `name`, or null.
    Node* bone(std::string_view name) const {
        for (const auto& [boneName, node] : bones) {
            if (boneName == name) return node.get();
        }
        return nullptr;
    }
    /// VRM 0.x avatars face -Z; VRM 1.0 ones face +Z like every glTF character.
    bool facesMinusZ() const { return format == Format::vrm0; }
};

}  // namespace plimsa
