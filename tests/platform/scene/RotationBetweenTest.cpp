#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/scene/TransformMath.h"
#include "support/Near.h"

namespace plimsa {
namespace {

using transform_math::rotationBetween;

TEST(RotationBetween, TurnsOneDirectionOntoAnotherWhateverTheLengths) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    auto vector = [&] { return glm::vec3(coordinate(random), coordinate(random), coordinate(random)); };
    for (int i = 0; i < 200; ++i) {
        const glm::vec3 u = vector(), v = vector() * 7.0f;
        const glm::quat q = rotationBetween(u, v);
        EXPECT_NEAR(glm::length(q), 1.0f, 1e-5f);
        EXPECT_TRUE(testing::near(q * glm::normalize(u), glm::normalize(v), 1e-4f));
        // The shortest arc turns about an axis perpendicular to both.
        EXPECT_NEAR(std::acos(std::min(1.0f, std::abs(q.w))) * 2.0f,
                    std::acos(glm::clamp(glm::dot(glm::normalize(u), glm::normalize(v)), -1.0f, 1.0f)),
                    2e-3f);
    }
}

TEST(RotationBetween, OppositeDirectionsTakeAHalfTurnAboutAPerpendicularAxis) {
    const struct {
        glm::vec3 from;
        glm::vec3 axis;
    } cases[] = {
        {{0, -1, 0}, {0, 0, -1}},  // cross(x, from)
        {{0, 0, 2}, {0, -1, 0}},
        {{1, 0, 0}, {0, 0, -1}},  // along x: cross(y, from)
        {{-3, 0, 0}, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        const glm::quat q = rotationBetween(c.from, -c.from);
        EXPECT_TRUE(testing::sameRotation(q, glm::quat(0.0f, c.axis.x, c.axis.y, c.axis.z)))
            << c.from.x << ", " << c.from.y << ", " << c.from.z;
    }
    // Nearly opposite still lands on the target.
    const glm::vec3 nearly = glm::normalize(glm::vec3(1e-4f, 1.0f, 0.0f));
    EXPECT_TRUE(
        testing::near(rotationBetween(glm::vec3(0, -1, 0), nearly) * glm::vec3(0, -1, 0), nearly, 1e-4f));
}

TEST(RotationBetween, SameZeroOrNonFiniteInputGivesIdentity) {
    const glm::quat identity(1, 0, 0, 0);
    const glm::vec3 bad[][2] = {{{0, 1, 0}, {0, 2, 0}},        {{0, 0, 0}, {0, 1, 0}},
                                {{0, 1, 0}, {0, 0, 0}},        {{NAN, 0, 0}, {0, 1, 0}},
                                {{0, 1, 0}, {INFINITY, 0, 0}}, {{1e-20f, 0, 0}, {0, 1, 0}}};
    for (const auto& pair : bad) EXPECT_EQ(rotationBetween(pair[0], pair[1]), identity);
}

}  // namespace
}  // namespace plimsa
