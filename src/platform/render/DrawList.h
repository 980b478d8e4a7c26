#pragma once

#include "platform/scene/BoundingBox.h"

#include <glm/glm.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace plimsa {

class Geometry;
class Material;
class Node;
class Scene;

/// One triangle element of one node, ready to draw.
struct DrawItem {
    std::shared_ptr<Geometry> geometry;
    std::shared_ptr<Material> material;
    size_t element = 0;
    glm::mat4 model{1.0f};  // identity for skinned draws (the joint palette holds the pose)
    int jointOffset = -1;  // first matrix of this draw's palette in DrawList::jointMatrices, -1 = not skinned
    int jointCount = 0;
    float viewDepth = 0.0f;   // distance of the element's box centre along the view direction
    BoundingBox worldBounds;  // the geometry's world-space box (as posed, when skinned)
};

/// A directional light in world space: `direction` is the way the light travels (unit vector), `radiance`
/// linear RGB scaled by intensity / 1000.
struct DirectionalLight {
    glm::vec3 direction{0.0f, -1.0f, 0.0f};
    glm::vec3 radiance{1.0f};
};

/// What one frame draws, gathered from a scene for a point of view: visible elements split into opaque
/// ones (near to far) and blended ones (back to front), the lights, and every skinned draw's joint
/// palette packed into one array. Pure CPU work, no GL; the scene's thread.
struct DrawList {
    static constexpr size_t kMaxDirectionalLights = 8;

    std::vector<DrawItem> opaque;
    std::vector<DrawItem> blended;
    std::vector<DirectionalLight> directionalLights;  // at most kMaxDirectionalLights, brightest kept
    glm::vec3 ambient{0.0f};                          // linear RGB sum of the ambient lights
    std::vector<glm::mat4> jointMatrices;
    BoundingBox worldBounds;  // world-space box around everything drawn (skinned meshes as posed)

    /// Walks the scene from the root, skipping hidden subtrees and empty elements. `cameraWorld` is the
    /// point of view's world transform (it looks along its -Z axis).
    static DrawList gather(const Scene& scene, const glm::mat4& cameraWorld);
};

}  // namespace plimsa
