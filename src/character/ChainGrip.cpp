#include "character/ChainGrip.h"

#include <algorithm>
#include <cmath>

namespace plimsa {

namespace {

float midX(const Rope& rope) { return (rope.top.x + rope.bottom.x) * 0.5f; }

}  // namespace

std::optional<Rope> ChainGrip::nearestRope(std::span<const Rope> ropes, const glm::vec3& shoulder, float side) {
    if (ropes.empty()) {
        return std::nullopt;
    }
    const bool anyOnSide = std::any_of(ropes.begin(), ropes.end(),
                                       [&](const Rope& rope) { return side * (midX(rope) - shoulder.x) > 0.0f; });
    std::optional<Rope> nearest;
    float nearestDistance = 0.0f;
    for (const Rope& rope : ropes) {
        if (anyOnSide && !(side * (midX(rope) - shoulder.x) > 0.0f)) {
            continue;
        }
        const float distance = std::fabs(midX(rope) - shoulder.x);
        if (!nearest || distance < nearestDistance) {
            nearest = rope;
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::optional<glm::vec3> ChainGrip::gripPoint(const Rope& rope, const glm::vec3& shoulder, float distance) {
    // |D|^2 t^2 + 2 (D.B) t + |B|^2 - R^2 = 0, in double: the terms nearly cancel for long ropes.
    const glm::dvec3 d = glm::dvec3(rope.top) - glm::dvec3(rope.bottom);
    const glm::dvec3 b = glm::dvec3(rope.bottom) - glm::dvec3(shoulder);
    const double a = glm::dot(d, d);
    const double halfB = glm::dot(d, b);
    const double c = glm::dot(b, b) - double{distance} * distance;
    if (!(a > 1e-12)) {
        if (std::fabs(c) < 1e-9) {
            return glm::vec3(rope.bottom);
        }
        return std::nullopt;
    }
    const double discriminant = 4.0 * halfB * halfB - 4.0 * a * c;
    if (!(discriminant >= 0.0)) {
        return std::nullopt;
    }
    const double t = std::clamp((std::sqrt(discriminant) - 2.0 * halfB) / (2.0 * a), 0.0, 1.0);
    return glm::vec3(glm::dvec3(rope.bottom) + t * d);
}

}  // namespace plimsa
