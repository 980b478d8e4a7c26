#pragma once

#include <glm/glm.hpp>

#include <memory>

namespace plimsa {

class Node;

/// One node under a view point: where the view ray enters its bounding box (world space) and how far
/// that is from the camera along the ray (scene units; for orthographic cameras from the near plane).
struct HitTestResult {
    std::shared_ptr<Node> node;
    glm::vec3 worldCoordinates{0.0f};
    float distance = 0.0f;
};

}  // namespace plimsa
