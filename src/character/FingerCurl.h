#pragma once

#include "character/SkeletonBones.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <vector>

namespace plimsa {

class BonePoser;
class Node;

/// Closes one hand's fingers: each non-thumb finger's joints turn toward the palm about the hand's knuckle
/// axis (fingers x palm), the thumb's about its own axis toward the palm, so that a hand on a chain wraps
/// round it and an idle hand rests slightly curled. The fingers are measured once, at rest, in the hand's
/// own frame, where their shape never changes; each frame only the chain is brought into that frame. Every
/// joint is set from its rest orientation (nothing accumulates); curl angles come from a fixed table. Belongs
/// to one character; its posing thread.
class FingerCurl {
  public:
    /// A chain or rope as the fingers see it: the line through `point` along unit `direction` (world
    /// coordinates), `radius` its half-thickness in world units.
    struct Bar {
        glm::vec3 point;
        glm::vec3 direction;
        float radius;
    };
    enum class Grip {
        open,     // fingers at rest (a waving hand, an arm left at rest)
        relaxed,  // a slight curl (a hand that holds nothing)
        bar,      // round the bar, as far as the fingers go without entering it
    };

    /// Measures the fingers and thumb of `arm` as they are now (the rest pose), with the palm facing
    /// `arm.palmLocal` and the fingers pointing at `arm.handEnd`. A hand without finger bones, or whose
    /// fingers give no knuckle axis, curls nothing.
    FingerCurl(const BonePoser& bones, const SkeletonBones::Arm& arm);

    bool curls() const { return !fingers_.empty(); }

    /// Poses the fingers on a hand whose world transform this frame is `handWorld`. With Grip::bar each
    /// finger closes as far as it can without any joint or tip coming nearer the bar's line than the bar's
    /// radius plus the finger's own thickness (a finger that touches the bar at rest keeps the relaxed
    /// curl); `bar` is read only then.
    void curl(const glm::mat4& handWorld, Grip grip, const Bar& bar);

  private:
    static constexpr int kMaxJoints = 6;  // a longer finger curls its first six joints

    /// One finger (or the thumb) at rest in the hand's frame: its joints with their rest turns and their
    /// parents' orientations relative to the hand, the joints and tip, and each segment split about the
    /// curl axis for the Rodrigues turn.
    struct Finger {
        int count = 0;
        bool thumb = false;
        Node* joints[kMaxJoints] = {};
        glm::quat rest[kMaxJoints];
        glm::quat parentInHand[kMaxJoints];
        glm::vec3 points[kMaxJoints + 1];
        glm::vec3 axis{0.0f};
        glm::vec3 along[kMaxJoints];
        glm::vec3 across[kMaxJoints];
        glm::vec3 turned[kMaxJoints];
        float thickness = 0.0f;
        int step = -1;  // the table step the joints were last set to (-1: not yet)

        bool isClear(int at, const glm::vec3& barPoint, const glm::vec3& barDirection, float reach) const;
        int closest(int largest, int relaxed, const glm::vec3& barPoint, const glm::vec3& barDirection,
                    float barRadius) const;
        void turn(int to);
    };

    bool measure(const BonePoser& bones, const Node& hand, const glm::mat4& handRest,
                 const std::vector<Node*>& chain, const glm::vec3& pointing, Finger& finger) const;

    std::vector<Finger> fingers_;
};

}  // namespace plimsa
