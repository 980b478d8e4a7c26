#pragma once

#include <glm/glm.hpp>

#include <optional>

namespace plimsa {

class Node;

/// A bone that belongs at the end of a limb chain but hangs elsewhere in the hierarchy: IK-style rigs parent
/// the feet and hands to the rig's root, not to the shin and forearm, so turning the limb would leave them
/// behind. The follower keeps the bone's rest placement in the chain end's frame and puts it back there
/// after the limb is posed; whatever hangs from the bone (toes, shoes, fingers, hand meshes) comes along.
/// Plain value over nodes the character owns; used by the character's posing thread.
class ChainFollower {
  public:
    /// Records `bone`'s current (rest) placement relative to `chainEnd`. Nothing when the bone already
    /// moves with the chain end (it hangs below it) or cannot follow it (the chain end hangs below the
    /// bone, or the rest transforms are degenerate).
    static std::optional<ChainFollower> attach(Node& bone, const Node& chainEnd);

    Node& bone() const { return *bone_; }
    const Node& chainEnd() const { return *chainEnd_; }

    /// Where the bone belongs, in world coordinates, when the chain end's world transform is `chainEndWorld`.
    glm::mat4 placement(const glm::mat4& chainEndWorld) const { return chainEndWorld * offset_; }
    /// Sets the bone's local position and orientation so that its world transform becomes `world` (its
    /// scale is kept: the rest offset carries no scale of its own). Its parent may be any node.
    void place(const glm::mat4& world) const;
    /// Puts the bone at the chain end as the scene graph has it now.
    void follow() const;

  private:
    ChainFollower(Node& bone, const Node& chainEnd, const glm::mat4& offset)
        : bone_(&bone), chainEnd_(&chainEnd), offset_(offset) {}

    Node* bone_;
    const Node* chainEnd_;
    glm::mat4 offset_;
};

}  // namespace plimsa
