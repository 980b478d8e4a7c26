#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <vector>

namespace plimsa {

class Node;

/// The bones of a rigged model (BoneFinder): from its VRM humanoid map, its bone names, or the shape of
/// its skeleton. Node pointers refer into the model's own
/// subtree and stay valid as long as that subtree lives (the character owns it). Absent bones are null.
struct SkeletonBones {
    /// One leg: hip joint (thigh) and knee joint (shin).
    struct Leg {
        Node* thigh = nullptr;
        Node* shin = nullptr;
        /// The ankle joint, or null. May hang outside the leg's chain (IK rigs parent it to the root).
        Node* foot = nullptr;
    };
    /// One arm: shoulder joint (upper), elbow joint (fore), wrist joint (hand).
    struct Arm {
        Node* upper = nullptr;
        Node* fore = nullptr;
        Node* hand = nullptr;
        /// A finger bone giving the hand's pointing direction, or null.
        Node* handEnd = nullptr;
        /// The way the palm faces, in the hand bone's own frame (set from the rest pose at load).
        glm::vec3 palmLocal{0.0f, -1.0f, 0.0f};
        /// The fingers other than the thumb, each from its knuckle outwards (empty without finger bones).
        std::vector<std::vector<Node*>> fingers;
        /// The thumb's joints from its base outwards, or empty.
        std::vector<Node*> thumb;
    };

    /// Where the roles came from: the first that found hips or limbs wins.
    enum class Source { vrm, names, shape, none };

    Node* hips = nullptr;
    Node* spine = nullptr;
    /// The head bone, or the neck when the model has no head bone.
    Node* head = nullptr;
    /// Found legs and arms, left side first.
    std::vector<Leg> legs;
    std::vector<Arm> arms;
    /// Number of distinct normalised names among the model's non-mesh nodes.
    size_t nameCount = 0;
    Source source = Source::none;
};

}  // namespace plimsa
