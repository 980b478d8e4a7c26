#pragma once

#include <glm/glm.hpp>

#include <limits>

namespace plimsa {

/// An axis-aligned box in some node's space (the frame is the caller's). An empty box has min > max;
/// adding a point to it makes it that point. Plain value.
struct BoundingBox {
    glm::vec3 min{std::numeric_limits<float>::max()};
    glm::vec3 max{std::numeric_limits<float>::lowest()};

    bool isEmpty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    glm::vec3 center() const { return (min + max) * 0.5f; }
    glm::vec3 size() const { return isEmpty() ? glm::vec3(0.0f) : max - min; }

    void add(const glm::vec3& point) {
        min = glm::min(min, point);
        max = glm::max(max, point);
    }
    void add(const BoundingBox& other) {
        if (!other.isEmpty()) {
            add(other.min);
            add(other.max);
        }
    }
    /// The axis-aligned box around this box's eight corners after `transform` (empty stays empty).
    BoundingBox transformed(const glm::mat4& transform) const;

    bool operator==(const BoundingBox&) const = default;
};

}  // namespace plimsa
