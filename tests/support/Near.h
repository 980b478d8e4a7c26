#pragma once

#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace plimsa::testing {

inline ::testing::AssertionResult near(const glm::vec3& actual, const glm::vec3& expected,
                                       float tolerance = 1e-5f) {
    if (glm::length(actual - expected) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not (" << expected.x << ", "
           << expected.y << ", " << expected.z << ")";
}

/// Same rotation (q and -q are the same rotation).
inline ::testing::AssertionResult sameRotation(const glm::quat& a, const glm::quat& b,
                                               float tolerance = 1e-5f) {
    if (1.0f - std::abs(glm::dot(a, b)) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "rotations differ: (" << a.w << ", " << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.w
           << ", " << b.x << ", " << b.y << ", " << b.z << ")";
}

}  // namespace plimsa::testing
