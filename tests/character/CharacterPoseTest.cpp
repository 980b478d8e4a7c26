#include "character/CharacterPose.h"

#include <gtest/gtest.h>

namespace plimsa {
namespace {

TEST(CharacterPose, DefaultsSitUprightWithBothHandsOnChainsAtTheStandardSpacing) {
    const CharacterPose pose;
    EXPECT_EQ(pose.leg, 0);
    EXPECT_EQ(pose.headYaw, 0);
    EXPECT_EQ(pose.headPitch, 0);
    EXPECT_EQ(pose.blink, 1.0);
    EXPECT_EQ(pose.time, 0);
    EXPECT_EQ(pose.lean, 1.0);
    EXPECT_EQ(pose.handLeft, HandMode::chain);
    EXPECT_EQ(pose.handRight, HandMode::chain);
    EXPECT_EQ(pose.chainXs, (std::vector<double>{-0.42, 0.42}));
    EXPECT_TRUE(pose.ropes.empty());
    EXPECT_EQ(pose.leanBase, 0);
    EXPECT_FALSE(pose.lookTarget.has_value());
    EXPECT_EQ(pose.gripReach, 0.92);
    EXPECT_EQ(pose.sizeMultiplier, 1.0);
    EXPECT_EQ(pose.seatLift, 0);
    EXPECT_EQ(pose.seatForward, 0);
    EXPECT_EQ(pose.shine, 0.1);
    EXPECT_FALSE(pose.standing);
    EXPECT_FALSE(pose.floorSit);
    EXPECT_EQ(pose.foldedLeg, 1);
    EXPECT_EQ(pose.kneeHandSide, 1.0f);
}

TEST(CharacterPose, ShoulderOnTheCentreLineFollowsTheRightHand) {
    CharacterPose pose;
    pose.handLeft = HandMode::wave;
    pose.handRight = HandMode::loose;
    EXPECT_EQ(pose.handFor(-0.2), HandMode::wave);
    EXPECT_EQ(pose.handFor(-1e-9), HandMode::wave);
    EXPECT_EQ(pose.handFor(0.0), HandMode::loose);
    EXPECT_EQ(pose.handFor(-0.0), HandMode::loose);
    EXPECT_EQ(pose.handFor(0.3), HandMode::loose);
}

}  // namespace
}  // namespace plimsa
