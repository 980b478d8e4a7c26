#pragma once

#include <glm/glm.hpp>

#include <memory>

namespace plimsa {

/// Which extent of the view `fieldOfView` (or the orthographic scale) spans.
enum class ProjectionDirection { vertical, horizontal };

/// A camera carried by a node (SceneKit's SCNCamera); it looks down the node's -Z axis with +Y up.
/// `fieldOfView` is in degrees across the `projectionDirection` extent (vertical by default).
/// Orthographic: `orthographicScale` is half the visible extent along that direction, in scene units.
/// Defaults follow SceneKit: 60 degrees, near 1, far 100, orthographic scale 1. Plain value.
struct Camera {
    float fieldOfView = 60.0f;
    float zNear = 1.0f;
    float zFar = 100.0f;
    bool usesOrthographicProjection = false;
    float orthographicScale = 1.0f;
    ProjectionDirection projectionDirection = ProjectionDirection::vertical;

    /// OpenGL-style projection (clip z in [-w, w]) for a view of the given width / height.
    /// Degenerate values (aspect <= 0, near >= far, zero field of view) are replaced by safe ones, so the
    /// result is always invertible.
    glm::mat4 projectionTransform(float aspect) const;

    static std::shared_ptr<Camera> make() { return std::make_shared<Camera>(); }
};

}  // namespace plimsa
