#pragma once

#include "character/SkeletonBones.h"

#include <glm/glm.hpp>

#include <string>

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

    static constexpr double kStandingHeight = 2.3;

    /// Measures the nodes under `model` (hips, legs and head from `bones`). Meshes are measured as they
    /// are drawn: a skinned mesh by its skinned box, any other by its box in `model` space. A mesh
    /// extent outside (0.5, 100) units, unless at least three bone nodes span between half and 1.5 times
    /// it (a model in centimetres), or no mesh at all, falls back to the extent of the bone nodes
    /// (lights and cameras are not bones), itself at least 0.5. Never fails.
    static SeatFit measure(const Node& model, const SkeletonBones& bones);

    /// "proportions: standing=... hipsToCrown=... headToCrown=... scale=... meshHeight=...
    /// meshTopAboveHips=... hipY=..." (three decimals each).
    std::string proportionsLine() const;
};

}  // namespace plimsa
