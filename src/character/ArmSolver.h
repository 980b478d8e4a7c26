#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace plimsa {

/// The pure geometry behind posing a skinned arm: the two-bone (shoulder, elbow, wrist) step and the
/// hand turn that lines up fingers and palm (shortest-arc rotations are transform_math::rotationBetween).
/// Works on plain vectors in one frame of the caller's choosing (world coordinates in the character). Never
/// divides by zero: every degenerate input (zero-length or opposite vectors, a bend hint along the reach)
/// takes a stated fallback, and every result is finite for finite input. Stateless; any thread.
class ArmSolver {
  public:
    /// `v` scaled to unit length, or `fallback` when `v` is shorter than `minLength` or not finite.
    static glm::vec3 normalisedOr(const glm::vec3& v, const glm::vec3& fallback, float minLength = 1e-12f);

    /// Where the elbow goes so that a two-bone limb of lengths `upperLength` and `foreLength` rooted at
    /// `shoulder` reaches `target` (or as near as it can: the distance is clamped into the reachable
    /// range), bending in the plane spanned by the reach direction and `bendHint`. When `bendHint` lies
    /// along the reach, `fallbackAxis` (a unit vector) is the bend direction. `currentElbowDirection`
    /// (unit) is used only when the target sits on the shoulder itself. Lengths must be positive.
    static glm::vec3 elbowTarget(const glm::vec3& shoulder, const glm::vec3& target, float upperLength,
                                 float foreLength, const glm::vec3& bendHint, const glm::vec3& fallbackAxis,
                                 const glm::vec3& currentElbowDirection);

    /// The turn of a hand whose fingers point along unit `currentFingers` and whose palm faces along
    /// `currentPalm` so that the fingers point along unit `fingers` and the palm faces `palm` as closely
    /// as the fingers allow (twist about the finger axis). Without a usable palm, fingers only.
    static glm::quat handTurn(const glm::vec3& currentFingers, const glm::vec3& currentPalm,
                              const glm::vec3& fingers, const glm::vec3& palm);
};

}  // namespace plimsa
