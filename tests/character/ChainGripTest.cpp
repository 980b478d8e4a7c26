#include "character/ChainGrip.h"

#include <gtest/gtest.h>

#include <vector>

namespace plimsa {
namespace {

Rope vertical(float x, float top = 0.0f, float bottom = -10.0f) {
    return Rope{{x, top, 0.0f}, {x, bottom, 0.0f}};
}

TEST(ChainGripRope, TakesTheNearestRopeOnTheArmsOwnSideElseTheNearestOfAllAndTheFirstOnATie) {
    const std::vector<Rope> ropes{vertical(-0.42f), vertical(0.42f), vertical(0.9f)};
    EXPECT_EQ(ChainGrip::nearestRope(ropes, {0.2f, -1, 0}, +1.0f)->bottom.x, 0.42f);
    EXPECT_EQ(ChainGrip::nearestRope(ropes, {-0.2f, -1, 0}, -1.0f)->bottom.x, -0.42f);
    // A right arm whose shoulder is past the middle rope still reaches outward, never across the body.
    EXPECT_EQ(ChainGrip::nearestRope(ropes, {0.5f, -1, 0}, +1.0f)->bottom.x, 0.9f);
    const std::vector<Rope> leftOnly{vertical(-0.42f), vertical(-0.1f)};
    EXPECT_EQ(ChainGrip::nearestRope(leftOnly, {0.3f, -1, 0}, +1.0f)->bottom.x, -0.1f);
    EXPECT_FALSE(ChainGrip::nearestRope({}, {0.3f, -1, 0}, +1.0f).has_value());
    const std::vector<Rope> tied{vertical(0.5f, 0.0f, -2.0f), vertical(0.5f, 1.0f, -3.0f)};
    EXPECT_EQ(ChainGrip::nearestRope(tied, {0.0f, -1, 0}, +1.0f)->top.y, 0.0f);
}

TEST(ChainGripPoint, GripIsAtTheRequestedDistanceOnTheUpperCrossingClampedToTheRopeEnds) {
    const Rope rope = vertical(0.42f);
    const glm::vec3 shoulder(0.2f, -1.5f, 0.05f);
    const auto grip = ChainGrip::gripPoint(rope, shoulder, 0.5f);
    ASSERT_TRUE(grip.has_value());
    EXPECT_NEAR(glm::distance(*grip, shoulder), 0.5f, 1e-5f);
    EXPECT_GT(grip->y, shoulder.y) << "the upper of the two crossings";
    EXPECT_FLOAT_EQ(grip->x, 0.42f);
    // The sphere meets the rope's line only above the top end: the hand holds the top end.
    const auto top = ChainGrip::gripPoint(vertical(0.3f, -1.0f, -3.0f), {0.2f, -0.5f, 0}, 0.6f);
    ASSERT_TRUE(top.has_value());
    EXPECT_FLOAT_EQ(top->y, -1.0f);
    // Only below the bottom end: the hand holds the bottom end.
    const auto bottom = ChainGrip::gripPoint(vertical(0.3f, 2.0f, 0.5f), {0.2f, -0.5f, 0}, 0.6f);
    ASSERT_TRUE(bottom.has_value());
    EXPECT_FLOAT_EQ(bottom->y, 0.5f);
}

TEST(ChainGripPoint, SlantedRopeGripStaysOnTheSegmentAndNothingWhereTheSphereMissesTheRope) {
    const Rope rope{{0.6f, 0.0f, -0.2f}, {0.4f, -2.0f, 0.1f}};
    const glm::vec3 shoulder(0.2f, -1.2f, 0.0f);
    const auto grip = ChainGrip::gripPoint(rope, shoulder, 0.45f);
    ASSERT_TRUE(grip.has_value());
    EXPECT_NEAR(glm::distance(*grip, shoulder), 0.45f, 1e-5f);
    const glm::vec3 along = rope.top - rope.bottom;
    const float t = glm::dot(*grip - rope.bottom, along) / glm::dot(along, along);
    EXPECT_GE(t, 0.0f);
    EXPECT_LE(t, 1.0f);
    EXPECT_NEAR(glm::length(glm::cross(*grip - rope.bottom, along)), 0.0f, 1e-5f);
    EXPECT_FALSE(ChainGrip::gripPoint(vertical(2.0f), {0.2f, -1.5f, 0}, 0.5f).has_value());
    const Rope point{{0.5f, 0, 0}, {0.5f, 0, 0}};  // a zero-length rope is held only on the sphere
    EXPECT_FALSE(ChainGrip::gripPoint(point, {0, 0, 0}, 0.3f).has_value());
    EXPECT_TRUE(ChainGrip::gripPoint(point, {0, 0, 0}, 0.5f).has_value());
}

}  // namespace
}  // namespace plimsa
