#pragma once

#include "character/CharacterPose.h"
#include "character/FingerCurl.h"
#include "character/SkeletonBones.h"

#include <glm/glm.hpp>

#include <optional>
#include <span>
#include <vector>

namespace plimsa {

class BonePoser;
class ChainFollower;
class Node;

/// Poses the arms of a skinned character for one frame: each hand grips the nearest chain on its side
/// (or rests in the lap when the chain is out of reach, counting SkinnedCharacter::lapFallbacks), rests
/// on the raised knee in the floor sit, waves, or hangs loose; then the hand is turned so the fingers and
/// palm face the right way. Made for one `apply` call: it snapshots the rig and swing frames, which the
/// arms do not move. Used by the character's posing thread only.
class ArmPoser {
  public:
    /// `rigToWorld` is the world transform of the character's root node, `swingFrame` the node the pose's
    /// ropes are given in, `legs` the character's legs (for the knee rest). All must outlive the poser.
    ArmPoser(const BonePoser& bones, const glm::mat4& rigToWorld, const Node& swingFrame,
             std::span<const SkeletonBones::Leg> legs, const CharacterPose& pose);

    /// Half the thickness of a swing's chain or rope, in swing-frame units: what the fingers close round.
    static constexpr float kChainRadius = 0.03f;

    /// Poses one arm from its rest pose. An arm with a bone shorter than 0.0001 stays at rest (fingers
    /// open). `detachedHand`, when the hand does not hang below the forearm, puts the hand at the
    /// forearm's end before it is turned.
    /// `fingers`, when given, closes the hand's fingers (measured for this arm at load).
    void pose(const SkeletonBones::Arm& arm, const ChainFollower* detachedHand = nullptr,
              FingerCurl* fingers = nullptr) const;

  private:
    /// World transforms down the arm, kept in step with every bone turn so that no query has to walk the
    /// scene graph from the root again (the arm's bones have no constraints).
    struct Frames {
        glm::mat4 parent;  // the upper arm's parent
        glm::mat4 upper;
        glm::mat4 fore;
        glm::mat4 hand;
        const ChainFollower* detached = nullptr;  // the hand's follower when it hangs elsewhere
        FingerCurl* fingers = nullptr;
        void refreshFromUpper(const SkeletonBones::Arm& arm);
        void refreshFromFore(const SkeletonBones::Arm& arm);
        void refreshHand(const SkeletonBones::Arm& arm);
    };

    /// Where the wrist should go and how the limb should bend and the hand turn, in world coordinates.
    struct Goal {
        glm::vec3 target;
        glm::vec3 bendHint;
        glm::vec3 fingers;
        glm::vec3 palm;
        FingerCurl::Grip grip = FingerCurl::Grip::relaxed;
        FingerCurl::Bar bar{};
    };
    /// The arm's joints in world coordinates at rest, and its shoulder in the rig frame.
    struct Reach {
        glm::vec3 shoulder;
        glm::vec3 elbow;
        float upper;
        float fore;
        glm::vec3 rigShoulder;
        float side;
        /// Wrist to the middle knuckle at rest, world units; 0 for a hand without finger bones to curl.
        float knuckle;
    };

    std::optional<Goal> kneeGoal(const Reach& reach) const;
    std::optional<Goal> chainGoal(const Reach& reach) const;
    Goal lapGoal(float side) const;
    Goal waveGoal(const Reach& reach) const;
    Goal looseGoal(const Reach& reach) const;
    void solve(const SkeletonBones::Arm& arm, Frames& frames, const Reach& reach, const Goal& goal) const;
    /// Turns the hand (from rest) so its fingers point along world direction `fingers` and its palm faces
    /// world direction `palm` as closely as the fingers allow.
    void orientHand(const SkeletonBones::Arm& arm, Frames& frames, const glm::vec3& fingers,
                    const glm::vec3& palm) const;
    void restArm(const SkeletonBones::Arm& arm) const;
    /// Leaves the arm at rest: a detached hand goes to the forearm's end, the fingers open.
    void settleAtRest(const Frames& frames) const;

    glm::vec3 rigPoint(const glm::vec3& p) const { return glm::vec3(rigToWorld_ * glm::vec4(p, 1.0f)); }
    glm::vec3 rigDirection(const glm::vec3& v) const;
    glm::vec3 swingPoint(const glm::vec3& p) const { return glm::vec3(swingToWorld_ * glm::vec4(p, 1.0f)); }
    glm::vec3 swingVector(const glm::vec3& v) const { return glm::vec3(swingToWorld_ * glm::vec4(v, 0.0f)); }

    const BonePoser& bones_;
    std::span<const SkeletonBones::Leg> legs_;
    const CharacterPose& pose_;
    std::vector<Rope> ropes_;
    glm::mat4 rigToWorld_;
    glm::mat4 worldToRig_;
    glm::mat4 swingToWorld_;
    glm::mat4 worldToSwing_;
};

}  // namespace plimsa
