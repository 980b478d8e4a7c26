#include "character/CharacterPose.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plimsa {
namespace {

TEST(CharacterPose, ShoulderOnTheCentreLineFollowsTheRightHand) {
    CharacterPose pose;
    pose.handLeft = HandMode::wave;
    pose.handRight = HandMode::loose;
    const std::pair<double, HandMode> cases[] = {{-0.2, HandMode::wave}, {-1e-9, HandMode::wave},
                                                 {0.0, HandMode::loose}, {-0.0, HandMode::loose},
                                                 {0.3, HandMode::loose}, {std::nan(""), HandMode::loose}};
    for (const auto& [x, mode] : cases) EXPECT_EQ(pose.handFor(x), mode) << x;
}

}  // namespace
}  // namespace plimsa
