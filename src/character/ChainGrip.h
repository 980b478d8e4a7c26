#pragma once

#include "character/Rope.h"

#include <glm/glm.hpp>

#include <optional>
#include <span>

namespace plimsa {

/// Where a seated character's hand takes hold of a rope: the rope on the arm's own side nearest the
/// shoulder, and on it the point at a given distance from the shoulder. All coordinates are in the
/// swing frame the ropes are given in. Stateless; any thread.
class ChainGrip {
public:
    /// The rope whose mid x is nearest `shoulder`.x among those on `side` (+1: greater x, -1: smaller x)
    /// of the shoulder, or among all ropes when none lies on that side; the first one on a tie.
    /// Nothing when `ropes` is empty.
    static std::optional<Rope> nearestRope(std::span<const Rope> ropes, const glm::vec3& shoulder, float side);

    /// The point G = bottom + t (top - bottom) at distance `distance` from `shoulder`, taking the upper of
    /// the two crossings and clamping t to [0, 1] so the grip never leaves the rope. Nothing when the
    /// sphere of that radius misses the rope's line (out of reach). A rope of zero length counts as
    /// reached only when its one point lies on the sphere.
    static std::optional<glm::vec3> gripPoint(const Rope& rope, const glm::vec3& shoulder, float distance);
};

}  // namespace plimsa
