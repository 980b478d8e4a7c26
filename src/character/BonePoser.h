#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <unordered_map>

namespace plimsa {

class Node;

/// Turns the bones of one model relative to their rest pose, so that every frame derives each bone
/// afresh and nothing accumulates. Rotations are given either in the rig frame (the character's root
/// node: +Y up, facing +Z) or in world axes. Belongs to one character; used by the thread that poses it.
class BonePoser {
  public:
    /// `rigRoot` must outlive the poser (the character owns both).
    explicit BonePoser(const Node& rigRoot) : rigRoot_(rigRoot) {}

    /// Records the current local orientation of every node under `model` (not `model` itself) as its rest.
    void recordRest(Node& model);
    bool hasRest(const Node& node) const { return rest_.contains(&node); }
    /// The recorded rest orientation of `node`, or null; valid until the next recordRest.
    const glm::quat* restOf(const Node& bone) const;
    size_t restCount() const { return rest_.size(); }

    /// Back to the rest orientation; nodes without a rest entry are left alone.
    void resetBone(Node& bone) const;
    /// Rest orientation, then turned by `rigRotation` about rig-frame axes as seen from the parent:
    /// local = C q C^-1 rest with C = parent world^-1 * rig world. No-op without a parent or rest entry.
    void setBone(Node& bone, const glm::quat& rigRotation) const;
    /// As setBone, with the parent's and the rig root's world orientations already known.
    void setBone(Node& bone, const glm::quat& parentWorld, const glm::quat& rigWorld,
                 const glm::quat& rigRotation) const;
    /// Rest orientation, then turned by `worldRotation` about world axes: local = P^-1 q P rest with P the
    /// parent's world orientation. No-op without a parent or rest entry.
    void applyWorld(Node& bone, const glm::quat& worldRotation) const;
    /// As applyWorld, with the parent's world orientation already known (the caller tracks the chain).
    void applyWorld(Node& bone, const glm::quat& parentWorld, const glm::quat& worldRotation) const;

    /// The rotation of a world transform whose columns may be scaled (a mirrored one turns x around).
    static glm::quat orientationOf(const glm::mat4& world);

  private:
    const Node& rigRoot_;
    std::unordered_map<const Node*, glm::quat> rest_;
};

}  // namespace plimsa
