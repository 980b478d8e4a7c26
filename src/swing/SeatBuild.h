#pragma once

#include <glm/glm.hpp>

#include <memory>
#include <vector>

#include "character/Rope.h"
#include "platform/scene/Node.h"

namespace plimsa {

/// What `SwingParts::buildBoard` makes: the board with its hardware, built around its own origin (the
/// caller hangs it at y = -ropeLength); the two ropes, left then right, in the swing frame (the bar's axis
/// at the origin); the width and character xs it was built for; and where a seated character's root goes
/// relative to the board origin (added to the character's x). Scene units. Plain value; `node` is shared.
struct SeatBuild {
    std::shared_ptr<Node> node;
    std::vector<Rope> ropes;
    double width = 0.0;
    std::vector<double> characterXs;
    glm::vec3 rootOffset{0.0f};
};

}  // namespace plimsa
