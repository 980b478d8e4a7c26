#include "character/ArmSolver.h"

#include <algorithm>
#include <cmath>

#include "platform/scene/TransformMath.h"

namespace plimsa {

namespace {

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

constexpr float kOpposite = -0.9999f;
constexpr float kShortAxis = 0.0001f;

}  // namespace

glm::vec3 ArmSolver::normalisedOr(const glm::vec3& v, const glm::vec3& fallback, float minLength) {
    const float length = glm::length(v);
    if (!std::isfinite(length) || length < minLength || length == 0.0f) {
        return fallback;
    }
    return v / length;
}

glm::vec3 ArmSolver::elbowTarget(const glm::vec3& shoulder, const glm::vec3& target, float upperLength,
                                 float foreLength, const glm::vec3& bendHint, const glm::vec3& fallbackAxis,
                                 const glm::vec3& currentElbowDirection) {
    const glm::vec3 toTarget = target - shoulder;
    const float distance = glm::length(toTarget);
    const float nearest = std::fabs(upperLength - foreLength) + 0.001f;
    const float farthest = upperLength + foreLength - 0.001f;
    // max after min: with bones shorter than a millimetre the range is empty and `nearest` wins.
    const float d = std::max(nearest, std::min(distance, farthest));
    const glm::vec3 direction = normalisedOr(toTarget, currentElbowDirection, 1e-6f);

    const float cosA =
        std::clamp((upperLength * upperLength + d * d - foreLength * foreLength) / (2.0f * upperLength * d),
                   -1.0f, 1.0f);
    const float angle = std::acos(cosA);

    const glm::vec3 hint = normalisedOr(bendHint, glm::vec3(0.0f));
    const glm::vec3 across = hint - glm::dot(hint, direction) * direction;
    const glm::vec3 axis = glm::length(across) < kShortAxis ? fallbackAxis : glm::normalize(across);

    const glm::vec3 elbow = shoulder + upperLength * (direction * std::cos(angle) + axis * std::sin(angle));
    return isFinite(elbow) ? elbow : shoulder + upperLength * currentElbowDirection;
}

glm::quat ArmSolver::handTurn(const glm::vec3& currentFingers, const glm::vec3& currentPalm,
                              const glm::vec3& fingers, const glm::vec3& palm) {
    const glm::quat bend = transform_math::rotationBetween(currentFingers, fingers);
    const glm::vec3 turnedPalm = bend * currentPalm;
    const glm::vec3 palmAcross = turnedPalm - glm::dot(turnedPalm, fingers) * fingers;
    const glm::vec3 wantedAcross = palm - glm::dot(palm, fingers) * fingers;
    if (!(glm::length(palmAcross) > kShortAxis) || !(glm::length(wantedAcross) > kShortAxis)) {
        return bend;
    }
    const glm::vec3 from = glm::normalize(palmAcross);
    const glm::vec3 to = glm::normalize(wantedAcross);
    // Both lie across the fingers, so the twist must turn about the fingers; the generic half-turn axis
    // for opposite vectors would fold the fingers back instead.
    const glm::vec3 axis = normalisedOr(fingers, glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::quat twist = glm::dot(from, to) < kOpposite ? glm::quat(0.0f, axis.x, axis.y, axis.z)
                                                           : transform_math::rotationBetween(from, to);
    return twist * bend;
}

}  // namespace plimsa
