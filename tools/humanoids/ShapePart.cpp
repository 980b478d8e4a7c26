#include "humanoids/ShapePart.h"

#include <algorithm>
#include <cmath>

namespace plimsa {
namespace {

float dot2(const glm::vec3& v) {
    return glm::dot(v, v);
}

// A capsule whose radius changes linearly from r1 at a to r2 at b (exact distance).
float roundCone(const glm::vec3& p, const glm::vec3& a, const glm::vec3& b, float r1, float r2) {
    const glm::vec3 ba = b - a;
    const float l2 = glm::dot(ba, ba);
    if (l2 < 1e-10f) return glm::length(p - a) - std::max(r1, r2);
    const float rr = r1 - r2;
    const float a2 = l2 - rr * rr;
    const float il2 = 1.0f / l2;
    const glm::vec3 pa = p - a;
    const float y = glm::dot(pa, ba);
    const float z = y - l2;
    const float x2 = dot2(pa * l2 - ba * y);
    const float y2 = y * y * l2;
    const float z2 = z * z * l2;
    const float k = (rr > 0.0f ? 1.0f : rr < 0.0f ? -1.0f : 0.0f) * rr * rr * x2;
    if ((z > 0.0f ? 1.0f : -1.0f) * a2 * z2 > k) return std::sqrt(x2 + z2) * il2 - r2;
    if ((y > 0.0f ? 1.0f : -1.0f) * a2 * y2 < k) return std::sqrt(x2 + y2) * il2 - r1;
    return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}

float ellipsoid(const glm::vec3& p, const glm::vec3& radii) {
    const float k0 = glm::length(p / radii);
    const float k1 = glm::length(p / (radii * radii));
    return k1 > 1e-9f ? k0 * (k0 - 1.0f) / k1 : -std::min({radii.x, radii.y, radii.z});
}

}  // namespace

float ShapePart::distance(const glm::vec3& p) const {
    float d = 0.0f;
    if (kind == Kind::ellipsoid) {
        d = ellipsoid(p - a, radii);
    } else {
        const glm::vec3 local = a + (p - a) / squash;
        d = roundCone(local, a, b, radiusA, radiusB) * std::min({squash.x, squash.y, squash.z});
    }
    for (const glm::vec4& plane : cuts) d = std::max(d, glm::dot(glm::vec3(plane), p) + plane.w);
    return d;
}

float ShapePart::along(const glm::vec3& p) const {
    const glm::vec3 axis = b - a;
    const float l2 = glm::dot(axis, axis);
    return l2 > 1e-10f ? glm::dot(p - a, axis) / l2 : 0.0f;
}

std::pair<glm::vec3, glm::vec3> ShapePart::bounds() const {
    if (kind == Kind::ellipsoid) return {a - radii - blend, a + radii + blend};
    const float reach = std::max(radiusA, radiusB) * std::max({squash.x, squash.y, squash.z}) + blend;
    const glm::vec3 low = glm::min(a, a + (b - a) * squash) - reach;
    const glm::vec3 high = glm::max(a, a + (b - a) * squash) + reach;
    return {low, high};
}

glm::vec4 ShapePart::cut(const glm::vec3& point, const glm::vec3& up, bool keepBelow) {
    const glm::vec3 n = glm::normalize(keepBelow ? up : -up);
    return {n, -glm::dot(n, point)};
}

}  // namespace plimsa
