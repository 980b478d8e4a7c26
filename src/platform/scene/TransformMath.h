#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace plimsa::transform_math {

/// Small transform helpers: the scene graph's implementation files use them all, and the swing's parts and
/// the arm solver use `rotationBetween`.

/// The inverse of `m`, or identity when `m` is singular or not finite (a degenerate scale must not spread
/// NaNs through the scene).
glm::mat4 safeInverse(const glm::mat4& m);

/// The rotation of an affine matrix whose columns may be scaled (a negative determinant flips x).
glm::quat rotationOf(const glm::mat4& m);

/// Lengths of the first three columns (negative x when the determinant is negative).
glm::vec3 scaleOf(const glm::mat4& m);

/// Rx(e.x) * Ry(e.y) * Rz(e.z).
glm::quat quatFromEuler(const glm::vec3& radians);

/// The inverse of quatFromEuler: x and z in (-pi, pi], y in [-pi/2, pi/2]; z = 0 at gimbal lock.
glm::vec3 eulerFromQuat(const glm::quat& q);

/// The rotation whose -Z axis points along `forward` and whose +Y is as close to `up` as possible.
/// `forward` must be non-zero; a degenerate `up` is replaced by another axis.
glm::quat lookRotation(const glm::vec3& forward, const glm::vec3& up);

/// The shortest-arc unit rotation turning the direction of `from` onto the direction of `to`; neither
/// needs unit length. (Nearly) opposite directions give a half turn about the axis of
/// cross((1, 0, 0), from), or of cross((0, 1, 0), from) when `from` lies along x. Identity when either
/// vector is zero or not finite.
glm::quat rotationBetween(const glm::vec3& from, const glm::vec3& to);

bool isFinite(const glm::vec3& v);
bool isFinite(const glm::quat& q);

}  // namespace plimsa::transform_math
