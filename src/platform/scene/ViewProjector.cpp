#include "platform/scene/ViewProjector.h"

#include "platform/scene/Camera.h"
#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <cmath>

namespace plimsa {

using namespace transform_math;

namespace {

float positiveOr1(float value) {
    return std::isfinite(value) && value > 0.0f ? value : 1.0f;
}

}  // namespace

ViewProjector::ViewProjector(const Node& pointOfView, const glm::vec2& viewSize)
    : pointOfView_(pointOfView), size_(positiveOr1(viewSize.x), positiveOr1(viewSize.y)) {}

glm::mat4 ViewProjector::viewProjection() const {
    static const Camera defaultCamera;
    const Camera& camera = pointOfView_.camera() ? *pointOfView_.camera() : defaultCamera;
    return camera.projectionTransform(size_.x / size_.y) * safeInverse(pointOfView_.worldTransform());
}

// Both directions run in double precision: depth near 1 leaves float too few digits to come back exactly.
glm::vec3 ViewProjector::projectPoint(const glm::vec3& world) const {
    const glm::dvec4 clip = glm::dmat4(viewProjection()) * glm::dvec4(glm::dvec3(world), 1.0);
    const double w = std::fabs(clip.w) > 1e-30 ? clip.w : 1e-30;
    const glm::dvec3 ndc = glm::dvec3(clip) / w;
    return glm::vec3((ndc.x + 1.0) * 0.5 * size_.x, (ndc.y + 1.0) * 0.5 * size_.y, (ndc.z + 1.0) * 0.5);
}

glm::vec3 ViewProjector::unprojectPoint(const glm::vec3& view) const {
    const glm::dvec4 ndc(view.x / static_cast<double>(size_.x) * 2.0 - 1.0,
                         view.y / static_cast<double>(size_.y) * 2.0 - 1.0, view.z * 2.0 - 1.0, 1.0);
    const glm::dvec4 world = glm::inverse(glm::dmat4(viewProjection())) * ndc;
    const double w = std::fabs(world.w) > 1e-30 ? world.w : 1e-30;
    return glm::vec3(glm::dvec3(world) / w);
}

}  // namespace plimsa
