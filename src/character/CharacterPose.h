#pragma once

#include <glm/glm.hpp>

#include <optional>
#include <vector>

#include "character/Rope.h"
#include "config/HandMode.h"

namespace plimsa {

/// What a character should do this frame. The owner builds a fresh record from these defaults every frame
/// and sets what it drives (swing, corner sitter, portrait); characters ignore the fields they have no use
/// for. Angles in radians, lengths in scene units, `chainXs` and `ropes` in the swing frame handed to
/// `SwingCharacter::apply`, `lookTarget` in world coordinates. Plain value, any thread.
struct CharacterPose {
    double leg = 0;                            // leg swing, about -1 .. 1, positive kicks forward
    double headYaw = 0;                        // positive turns toward +X; used when `lookTarget` is absent
    double headPitch = 0;                      // positive looks down; used when `lookTarget` is absent
    double blink = 1.0;                        // eye opening: 1 open, 0 closed
    double time = 0;                           // scene time in seconds
    double lean = 1.0;                         // multiplier on the leg-driven spine lean
    HandMode handLeft = HandMode::chain;       // the hand whose shoulder lies at x < 0 in the rig frame
    HandMode handRight = HandMode::chain;      // the hand whose shoulder lies at x >= 0
    std::vector<double> chainXs{-0.42, 0.42};  // chain positions, when `ropes` is empty
    std::vector<Rope> ropes;
    double leanBase = 0;  // constant backward spine lean, subtracted while seated on a swing
    std::optional<glm::vec3> lookTarget;
    double gripReach = 0.92;  // fraction of the arm's length at which the hand grips the chain
    double sizeMultiplier = 1.0;
    double seatLift = 0;
    double seatForward = 0;  // toward +Z
    double shine = 0.1;      // 0 matte .. 1 glossy
    bool standing = false;
    bool floorSit = false;      // on the floor, one knee up (corner sitters)
    int foldedLeg = 1;          // index in the character's leg list of the raised leg in the floor sit
    float kneeHandSide = 1.0f;  // side (+1 or -1) of the arm that rests on the raised knee

    /// The hand mode for an arm whose shoulder lies at `shoulderX` in the rig frame: `handLeft` only for
    /// x < 0, so a shoulder exactly on the centre line (or an unmeasurable one) follows `handRight`.
    HandMode handFor(double shoulderX) const { return shoulderX < 0 ? handLeft : handRight; }

    bool operator==(const CharacterPose&) const = default;
};

}  // namespace plimsa
