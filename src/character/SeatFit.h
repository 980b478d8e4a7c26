#pragma once

#include "character/SkeletonBones.h"

#include <glm/glm.hpp>

#include <functional>
#include <string>
#include <vector>

namespace plimsa {

class Node;

/// How a model is fitted to the character frame: the uniform scale that makes it 2.3 units tall, and
/// the `model` positions that put its hips over the seat or its feet on the floor. Measured once, at
/// load, from the model in its rest pose with `model` still unscaled and unmoved. Plain value.
struct SeatFit {
    /// Uniform scale that makes the model 2.3 units tall.
    double baseScale = 1.0;
    /// `model` position that puts the hips centred over the seat, `lift` above it and 0.06 behind it.
    glm::vec3 basePosition{0.0f};
    /// `model` position that puts the lowest point of the model at y = 0.
    glm::vec3 standingPosition{0.0f};

    // Measures behind the fit, in model units (before scaling), for the diagnostics.
    double standingHeight = 0.0;
    double hipsToCrown = 0.0;
    double headToCrown = 0.0;
    double meshHeight = 0.0;
    double meshTopAboveHips = 0.0;
    double hipY = 0.0;

    /// The floor sit's drawn-up leg, changed only as far as keeps the foot's sole on or above the floor
    /// (the seat, rig y = 0): first the thigh rises further, the shin keeping its direction (the knee
    /// closes); when even that is not enough, the shin also leans further forward. Radians.
    struct FoldedLeg {
        double thighRaise = 0.0;
        double shinLean = 0.0;
        bool operator==(const FoldedLeg&) const = default;
    };
    /// Per leg, in `bones.legs` order (no change for a leg without an ankle to measure).
    std::vector<FoldedLeg> foldedLegs;

    static constexpr double kStandingHeight = 2.3;
    /// The floor sit's drawn-up leg in the rig frame: the thigh turned about X by -(pi/2 + 0.3) from rest
    /// (raised above horizontal), and the shin by a further 1.55 (folded back down).
    static constexpr double kFoldedThighTurn = -(1.5707963267948966 + 0.3);
    static constexpr double kFoldedShinTurn = 1.55;

    static constexpr double kMaxThighRaise = 0.8;
    static constexpr double kMaxShinLean = 1.0;

    /// The least change, along the order above, for which `sole` (the height of the sole above the floor
    /// for a change) is >= 0; the greatest change when none is. `sole` must rise with the change.
    static FoldedLeg clearFloor(const std::function<double(const FoldedLeg&)>& sole);

    /// `foldedLegs[leg]`, or no change for a leg out of range.
    FoldedLeg foldedLeg(size_t leg) const { return leg < foldedLegs.size() ? foldedLegs[leg] : FoldedLeg{}; }

    /// Measures the nodes under `model` (hips, legs and head from `bones`). Meshes are measured as they
    /// are drawn: a skinned mesh by its skinned box, any other by its box in `model` space. A mesh
    /// extent outside (0.5, 100) units, unless at least three bone nodes span between half and 1.5 times
    /// it (a model in centimetres), or no mesh at all, falls back to the extent of the bone nodes
    /// (lights and cameras are not bones), itself at least 0.5. The drawn-up leg of the floor sit is
    /// checked against the floor from the legs' joints (hip, knee, ankle: the foot, else the shin's first
    /// bone) and the ankle's height above the soles at rest. Never fails.
    static SeatFit measure(const Node& model, const SkeletonBones& bones);

    /// "proportions: standing=... hipsToCrown=... headToCrown=... scale=... meshHeight=...
    /// meshTopAboveHips=... hipY=..." (three decimals each).
    std::string proportionsLine() const;
};

}  // namespace plimsa
