#pragma once

#include "character/SkeletonBones.h"

#include <glm/glm.hpp>

namespace plimsa {

class BonePoser;

/// Closes a posed hand's fingers: each non-thumb finger's joints turn toward the palm about the hand's
/// knuckle axis (fingers x palm), the thumb's about its own axis toward the palm, so that a hand on a chain
/// wraps round it and an idle hand rests slightly curled. Every joint is set from its rest orientation, so
/// nothing accumulates between frames. Curl angles come from a fixed table (no trigonometry per frame).
/// Stateless; the character's posing thread.
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
        open,     // fingers at rest (a waving hand)
        relaxed,  // a slight curl (a hand that holds nothing)
        bar,      // round the bar, as far as the fingers go without entering it
    };

    /// Curls the fingers and thumb of `arm` on a hand whose world transform is `handWorld`, whose fingers
    /// point along unit world `fingers` and whose palm faces unit world `palm`. With Grip::bar each finger
    /// closes as far as it can without any joint or tip coming nearer the bar's line than the bar's radius
    /// plus the finger's own thickness (a finger that touches the bar already keeps the relaxed curl);
    /// `bar` is read only then. Nothing happens to an arm without finger bones or with a degenerate axis.
    static void curl(const BonePoser& bones, const SkeletonBones::Arm& arm, const glm::mat4& handWorld,
                     const glm::vec3& fingers, const glm::vec3& palm, Grip grip, const Bar& bar);
};

}  // namespace plimsa
