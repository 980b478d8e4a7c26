#include "platform/scene/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace plimsa {

namespace {

bool isPositive(float value) {
    return std::isfinite(value) && value > 0.0f;
}

}  // namespace

glm::mat4 Camera::projectionTransform(float aspect) const {
    if (!isPositive(aspect)) {
        aspect = 1.0f;
    }
    const float nearPlane = isPositive(zNear) ? zNear : 0.001f;
    float farPlane = std::isfinite(zFar) ? zFar : 1000.0f;
    if (farPlane <= nearPlane * 1.0001f) {
        farPlane = nearPlane * 2.0f + 1.0f;
    }
    const bool horizontal = projectionDirection == ProjectionDirection::horizontal;
    if (usesOrthographicProjection) {
        const float scale = isPositive(orthographicScale) ? orthographicScale : 1.0f;
        const float halfHeight = horizontal ? scale / aspect : scale;
        const float halfWidth = horizontal ? scale : scale * aspect;
        return glm::ortho(-halfWidth, halfWidth, -halfHeight, halfHeight, nearPlane, farPlane);
    }
    float degrees = std::isfinite(fieldOfView) ? fieldOfView : 60.0f;
    degrees = std::fmin(std::fmax(degrees, 0.01f), 179.0f);
    float tanHalf = std::tan(glm::radians(degrees) * 0.5f);
    if (horizontal) {
        tanHalf /= aspect;  // the vertical half-angle that gives this horizontal extent
    }
    return glm::perspective(2.0f * std::atan(tanHalf), aspect, nearPlane, farPlane);
}

}  // namespace plimsa
