#pragma once

#include <glm/glm.hpp>

namespace plimsa {

/// One rope or chain as a straight segment in the swing frame (scene units, +Y up): `top` at the bar,
/// `bottom` at the board. Plain value.
struct Rope {
    glm::vec3 top{0.0f};
    glm::vec3 bottom{0.0f};

    bool operator==(const Rope&) const = default;
};

}  // namespace plimsa
