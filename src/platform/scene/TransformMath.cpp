#include "platform/scene/TransformMath.h"

#include <glm/gtc/constants.hpp>

#include <cmath>

namespace plimsa::transform_math {

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool isFinite(const glm::quat& q) {
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

glm::mat4 safeInverse(const glm::mat4& m) {
    const float det = glm::determinant(m);
    if (!std::isfinite(det) || std::fabs(det) < 1e-30f) {
        return glm::mat4(1.0f);
    }
    return glm::inverse(m);
}

glm::vec3 scaleOf(const glm::mat4& m) {
    glm::vec3 s(glm::length(glm::vec3(m[0])), glm::length(glm::vec3(m[1])), glm::length(glm::vec3(m[2])));
    if (glm::determinant(glm::mat3(m)) < 0.0f) {
        s.x = -s.x;
    }
    return s;
}

glm::quat rotationOf(const glm::mat4& m) {
    const glm::vec3 s = scaleOf(m);
    glm::mat3 r(1.0f);
    for (int c = 0; c < 3; ++c) {
        if (std::fabs(s[c]) > 1e-30f && std::isfinite(s[c])) {
            r[c] = glm::vec3(m[c]) / s[c];
        }
    }
    return glm::normalize(glm::quat_cast(r));
}

glm::quat quatFromEuler(const glm::vec3& e) {
    return glm::angleAxis(e.x, glm::vec3(1, 0, 0)) * glm::angleAxis(e.y, glm::vec3(0, 1, 0)) *
           glm::angleAxis(e.z, glm::vec3(0, 0, 1));
}

glm::vec3 eulerFromQuat(const glm::quat& q) {
    const glm::mat3 m = glm::mat3_cast(q);  // m[column][row]
    const float sinY = glm::clamp(m[2][0], -1.0f, 1.0f);
    if (std::fabs(sinY) < 0.99999f) {
        return {std::atan2(-m[2][1], m[2][2]), std::asin(sinY), std::atan2(-m[1][0], m[0][0])};
    }
    // Gimbal lock: x and z turn about the same axis; put it all in x.
    const float x = std::atan2(sinY > 0 ? m[0][1] : -m[0][1], m[1][1]);
    return {x, sinY > 0 ? glm::half_pi<float>() : -glm::half_pi<float>(), 0.0f};
}

glm::quat rotationBetween(const glm::vec3& from, const glm::vec3& to) {
    const glm::quat identity(1.0f, 0.0f, 0.0f, 0.0f);
    const float fromLength = glm::length(from);
    const float toLength = glm::length(to);
    if (!std::isfinite(fromLength) || !std::isfinite(toLength) || fromLength < 1e-12f || toLength < 1e-12f) {
        return identity;
    }
    const glm::vec3 u = from / fromLength;
    const glm::vec3 v = to / toLength;
    const float cosine = glm::dot(u, v);
    if (cosine < -0.999999f) {
        glm::vec3 axis = glm::cross(glm::vec3(1, 0, 0), u);
        if (glm::length(axis) < 1e-4f) {
            axis = glm::cross(glm::vec3(0, 1, 0), u);
        }
        axis = glm::normalize(axis);
        return glm::quat(0.0f, axis.x, axis.y, axis.z);  // a half turn: cos(pi / 2) = 0
    }
    const glm::vec3 axis = glm::cross(u, v);
    return glm::normalize(glm::quat(1.0f + cosine, axis.x, axis.y, axis.z));
}

glm::quat lookRotation(const glm::vec3& forward, const glm::vec3& up) {
    const glm::vec3 z = -glm::normalize(forward);
    glm::vec3 x = glm::cross(up, z);
    if (glm::length(x) < 1e-6f) {
        // Looking along `up`: any perpendicular will do; prefer one that keeps x near world X.
        x = glm::cross(std::fabs(z.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(0, 0, -1), z);
    }
    x = glm::normalize(x);
    const glm::vec3 y = glm::cross(z, x);
    return glm::normalize(glm::quat_cast(glm::mat3(x, y, z)));
}

}  // namespace plimsa::transform_math
