#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>

#include "SwingSceneTestSupport.h"
#include "platform/scene/Node.h"

namespace plimsa::testing {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFrame = 1.0 / 60;

class SwingSceneFrames : public SwingSceneFixture {
  protected:
    std::unique_ptr<SwingScene> sceneWith(const SwingConfig& config) {
        library["ann"] = {};
        library["bob"] = {};
        auto scene = makeScene();
        apply(*scene, config);
        return scene;
    }
};

TEST_F(SwingSceneFrames, EveryFrameTurnsThePivotAndPosesWithTheMotionsState) {
    SwingConfig config;
    config.characters = {"ann"};
    config.headMode = HeadMode::idle;
    const auto scene = sceneWith(config);
    const double omega = scene->omega();
    scene->addPush();
    double time = 5.0;
    scene->updateAtTime(time);
    EXPECT_DOUBLE_EQ(scene->omega(), omega + Pendulum::kPush) << "a push reaches the next frame";
    EXPECT_LT(fake(*scene, 0).poses.back().blink, 1.0) << "the first blink is due by now";
    for (int i = 0; i < 240; ++i) {
        scene->updateAtTime(time += kFrame);
        const CharacterPose& pose = fake(*scene, 0).poses.back();
        ASSERT_NEAR(scene->pivot()->eulerAngles().x, -scene->theta(), 1e-6) << "frame " << i;
        ASSERT_EQ(pose.time, time);
        ASSERT_EQ(pose.leg, scene->leg());
        ASSERT_EQ(pose.headYaw, scene->motion().headYaw());
        ASSERT_EQ(pose.headPitch, scene->motion().headPitch());
    }
    EXPECT_NE(scene->motion().headYaw(), 0.0) << "the idle glance was eased toward";
    scene->updateAtTime(std::nan(""));
    EXPECT_EQ(fake(*scene, 0).poses.back().time, time) << "a broken clock holds the last good time";
}

TEST_F(SwingSceneFrames, LoopsOverTheBarWithThePivotTurningOnTheSameWay) {
    SwingConfig config;
    config.cruiseAmplitudeDegrees = 180;
    const auto scene = sceneWith(config);
    double time = 0;
    bool wrapped = false;
    glm::quat previous = scene->pivot()->orientation();
    double previousTheta = scene->theta();
    for (int i = 0; i < 60 * 40 && !wrapped; ++i) {
        scene->updateAtTime(time += kFrame);
        const glm::quat now = scene->pivot()->orientation();
        // The pivot never jumps: consecutive frames differ by a small turn, wrap or not.
        const double turn = 2 * std::acos(std::min(1.0f, std::abs(glm::dot(previous, now))));
        ASSERT_LT(turn, 0.3) << "frame " << i;
        wrapped = std::abs(scene->theta() - previousTheta) > kPi;
        previous = now;
        previousTheta = scene->theta();
    }
    EXPECT_TRUE(wrapped);
}

TEST_F(SwingSceneFrames, TwoSeatsKeepTheInnerHandsOffTheChains) {
    SwingConfig config;
    config.characters = {"ann", "bob"};
    config.innerHand = HandMode::chain;
    config.handLeft = HandMode::wave;  // outer hands of a pair always hold on
    auto scene = sceneWith(config);
    const auto hands = [&](size_t seat) {
        const CharacterPose& pose = fake(*scene, seat).poses.back();
        return std::pair(pose.handLeft, pose.handRight);
    };
    scene->updateAtTime(0.0);
    EXPECT_EQ(hands(0), std::pair(HandMode::chain, HandMode::loose));
    EXPECT_EQ(hands(1), std::pair(HandMode::loose, HandMode::chain));

    config.innerHand = HandMode::wave;
    apply(*scene, config);
    scene->updateAtTime(0.1);
    EXPECT_EQ(hands(0), std::pair(HandMode::chain, HandMode::wave));
    EXPECT_EQ(hands(1), std::pair(HandMode::wave, HandMode::chain));
}

TEST_F(SwingSceneFrames, PoseCarriesTheSwingFrameRopesFitsAndInCursorModeTheLookTarget) {
    SwingConfig config;
    config.characters = {"ann"};
    config.handLeft = HandMode::wave;
    config.lean = 1.6;
    config.gripReach = 0.7;
    config.shine = 0.8;
    config.fits = {{1.3, 0.1, -0.05}};
    const auto scene = sceneWith(config);
    scene->updateAtTime(0.0);
    const FakeCharacter& ann = fake(*scene, 0);
    const CharacterPose& pose = ann.poses.back();
    EXPECT_EQ(ann.frames.back(), scene->swingParts().get());
    EXPECT_EQ(pose.ropes, scene->seatBuild()->ropes);
    EXPECT_EQ(pose.chainXs, scene->chainXs());
    EXPECT_EQ(pose.handLeft, HandMode::wave);
    EXPECT_EQ(pose.handRight, HandMode::chain);
    EXPECT_EQ(pose.lean, 1.6);
    EXPECT_EQ(pose.gripReach, 0.7);
    EXPECT_EQ(pose.shine, 0.8);
    EXPECT_EQ(pose.sizeMultiplier, 1.3);
    EXPECT_EQ(pose.seatLift, 0.1);
    EXPECT_EQ(pose.seatForward, -0.05);
    EXPECT_FALSE(pose.standing);
    EXPECT_FALSE(pose.floorSit);
    // Only cursor mode looks at the target.
    scene->setLookTargetWorld(glm::vec3(1, 2, 3));
    scene->updateAtTime(kFrame / 2);
    EXPECT_EQ(fake(*scene, 0).poses.back().lookTarget, glm::vec3(1, 2, 3));
    scene->setLookTargetWorld(std::nullopt);
    scene->updateAtTime(kFrame);
    EXPECT_FALSE(fake(*scene, 0).poses.back().lookTarget.has_value());

    config.headMode = HeadMode::forward;
    apply(*scene, config);
    scene->setLookTargetWorld(glm::vec3(1, 2, 3));
    scene->updateAtTime(2 * kFrame);
    EXPECT_FALSE(fake(*scene, 0).poses.back().lookTarget.has_value());
}

TEST_F(SwingSceneFrames, AnimationSurvivesRebuildsAndADebugPoseHoldsTheSwingStill) {
    SwingConfig config;
    const auto scene = sceneWith(config);
    double time = 0;
    for (int i = 0; i < 90; ++i) scene->updateAtTime(time += kFrame);
    const double theta = scene->theta();
    const double omega = scene->omega();
    config.ropeLength = 3.5;
    apply(*scene, config);
    EXPECT_EQ(scene->theta(), theta);
    EXPECT_EQ(scene->omega(), omega);
    scene->updateAtTime(time += kFrame);
    EXPECT_NEAR(scene->pivot()->eulerAngles().x, -scene->theta(), 1e-6);

    scene->debugPose(30.0, 1.0, 0.0);
    EXPECT_NEAR(scene->theta(), kPi / 6, 1e-12);
    EXPECT_EQ(scene->omega(), 0.0);
    EXPECT_NEAR(scene->pivot()->eulerAngles().x, -kPi / 6, 1e-6);
    EXPECT_EQ(fake(*scene, 0).poses.back().leg, scene->leg());
    scene->setLegOverride(-0.5);
    scene->debugPose(-10.0, 1.0, 0.0);
    EXPECT_EQ(scene->leg(), -0.5);
}

}  // namespace
}  // namespace plimsa::testing
