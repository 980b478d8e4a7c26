#pragma once

#include <glm/glm.hpp>

#include "character/CharacterPose.h"
#include "platform/scene/BoundingBox.h"

namespace plimsa {

class Node;
class SwingCharacter;

/// How the corner sitter is kept inside its view: a uniform scale about the root's usual place and an
/// offset from it. A figure that already fits gets scale 1 and no offset. Plain value.
///
/// Frame: the corner scene's `frame` node, +Y up, the floor at y = 0, the view spanning x in +-halfWidth
/// and y in [0, height].
struct CornerFit {
    float scale = 1.0f;
    glm::vec3 offset{0.0f};

    /// The sitter's rock: `leg` runs between -kRock and +kRock.
    static constexpr double kRock = 0.5;
    /// The breath: `seatLift` runs between -kBreath and +kBreath.
    static constexpr double kBreath = 0.003;
    /// How far a head may turn (yaw either way) and nod (up, down) toward the cursor, in radians.
    static constexpr double kHeadYaw = 1.1;
    static constexpr double kHeadUp = -0.5;
    static constexpr double kHeadDown = 0.4;

    /// The least change that brings `drawn` (the figure's drawn box with its root at `anchor`, scale 1)
    /// into the view: lifted clear of the floor, shrunk about `anchor` only when too tall or too wide, and
    /// moved sideways into the view. Non-finite or empty boxes give no change.
    static CornerFit solve(const BoundingBox& drawn, const glm::vec3& anchor, double halfWidth,
                           double height);

    /// The drawn box (in `frame`) of `character` over the floor sit `pose` describes, rocked to both
    /// ends, with its head turned to the ends and corners of its reach and room for the breath. Leaves every
    /// bone as the last `apply` put it, and a head that eases its turns facing ahead (its clock moved on by
    /// 0.8 s from `pose.time`); the next frame's `apply` poses it afresh.
    static BoundingBox sittingBox(SwingCharacter& character, Node& frame, CharacterPose pose);
};

}  // namespace plimsa
