#pragma once

#include "platform/scene/HitTestOptions.h"
#include "platform/scene/HitTestResult.h"

#include <glm/glm.hpp>

#include <vector>

namespace plimsa {

class Node;

/// View maths of a scene view (SceneKit's projectPoint:, unprojectPoint: and hitTest:options:) for a point
/// of view node and a view size in points. View points have their origin at the bottom left, x right,
/// y up; z is the depth in [0, 1] from the near plane (0) to the far plane (1). A point-of-view node
/// without a camera uses a default Camera. Evaluates the node's current world transform on each call,
/// so it stays valid while the camera moves. Same thread as the scene.
class ViewProjector {
  public:
    /// `viewSize` in points; a non-positive extent is treated as 1.
    ViewProjector(const Node& pointOfView, const glm::vec2& viewSize);

    /// A world point to view coordinates (x, y in points, z depth).
    glm::vec3 projectPoint(const glm::vec3& world) const;
    /// View coordinates (x, y in points, z depth) back to a world point; inverse of projectPoint.
    glm::vec3 unprojectPoint(const glm::vec3& view) const;

    /// The nodes with geometry under the view point, nearest first: the view ray is tested against each
    /// node's bounding box in its own space (for skinned meshes, the posed world box) and, unless
    /// `options.boundingBoxOnly`, then against its triangles. Hidden nodes and their subtrees are skipped;
    /// hits behind the camera or beyond the far plane are not reported.
    std::vector<HitTestResult> hitTest(const Node& root, const glm::vec2& viewPoint,
                                       const HitTestOptions& options = {}) const;

    /// Projection * view for the current camera pose (OpenGL clip conventions).
    glm::mat4 viewProjection() const;

  private:
    const Node& pointOfView_;
    glm::vec2 size_;
};

}  // namespace plimsa
