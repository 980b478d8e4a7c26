#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

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

TEST_F(SwingSceneFrames, FirstFrameAdvancesNothingButTimersFire) {
    SwingConfig config;
    config.characters = {"ann"};
    config.headMode = HeadMode::idle;
    const auto scene = sceneWith(config);
    scene->setTheta(0.3);
    const double theta = scene->theta();
    scene->updateAtTime(5.0);
    EXPECT_EQ(scene->theta(), theta);
    EXPECT_EQ(scene->omega(), 0.0);
    EXPECT_NEAR(scene->pivot()->eulerAngles().x, -theta, 1e-6);
    const CharacterPose& pose = fake(*scene, 0).poses.back();
    EXPECT_EQ(pose.blink, 0.08);
    EXPECT_GT(scene->motion().nextIdleLook(), 5.0) << "a glance was drawn";
    EXPECT_EQ(pose.headYaw, 0.0) << "but not eased toward yet";
    EXPECT_EQ(pose.time, 5.0);
}

TEST_F(SwingSceneFrames, AtRestWithPumpingTheSwingStartsItself) {
    const auto scene = sceneWith(SwingConfig());
    scene->setTheta(0.0);
    scene->updateAtTime(0.0);
    EXPECT_EQ(scene->omega(), 0.25);
    scene->updateAtTime(kFrame);
    EXPECT_GT(scene->theta(), 0.0);
    EXPECT_GT(scene->omega(), 0.25);
}

TEST_F(SwingSceneFrames, APauseOfSecondsAdvancesExactlyOneThirtieth) {
    SwingConfig config;
    config.pumping = false;
    const auto paused = sceneWith(config);
    const auto steady = sceneWith(config);  // same seed, same start
    ASSERT_EQ(paused->theta(), steady->theta());
    paused->updateAtTime(1.0);
    paused->updateAtTime(9.0);
    steady->updateAtTime(1.0);
    steady->updateAtTime(1.0 + 1.0 / 30);
    EXPECT_EQ(paused->theta(), steady->theta());
    EXPECT_EQ(paused->omega(), steady->omega());
}

TEST_F(SwingSceneFrames, WithoutPumpingLegsSettleAtTheirBias) {
    SwingConfig config;
    config.characters = {"ann"};
    config.pumping = false;
    config.legBias = -0.3;
    const auto scene = sceneWith(config);
    double time = 0;
    for (int i = 0; i < 120; ++i) scene->updateAtTime(time += kFrame);
    EXPECT_NEAR(fake(*scene, 0).poses.back().leg, -0.3, 1e-4);
}

TEST_F(SwingSceneFrames, TwoClicksBeforeAFrameAddTwoPointEight) {
    const auto scene = sceneWith(SwingConfig());
    scene->setTheta(0.0);
    scene->setOmega(0.5);
    scene->addPush();
    scene->addPush();
    EXPECT_DOUBLE_EQ(scene->pendingPush(), 2.8);
    scene->updateAtTime(3.0);  // first frame: dt 0
    EXPECT_DOUBLE_EQ(scene->omega(), 3.3);
    EXPECT_EQ(scene->pendingPush(), 0.0);
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
    EXPECT_GT(scene->predictedAmplitude(), kPi - 1e-9);
}

TEST_F(SwingSceneFrames, TwoSeatsKeepTheInnerHandsOffTheChains) {
    SwingConfig config;
    config.characters = {"ann", "bob"};
    config.innerHand = HandMode::chain;
    config.handLeft = HandMode::wave;  // outer hands of a pair always hold on
    auto scene = sceneWith(config);
    scene->updateAtTime(0.0);
    EXPECT_EQ(fake(*scene, 0).poses.back().handLeft, HandMode::chain);
    EXPECT_EQ(fake(*scene, 0).poses.back().handRight, HandMode::loose);
    EXPECT_EQ(fake(*scene, 1).poses.back().handLeft, HandMode::loose);
    EXPECT_EQ(fake(*scene, 1).poses.back().handRight, HandMode::chain);

    config.innerHand = HandMode::wave;
    apply(*scene, config);
    scene->updateAtTime(0.1);
    EXPECT_EQ(fake(*scene, 0).poses.back().handRight, HandMode::wave);
    EXPECT_EQ(fake(*scene, 1).poses.back().handLeft, HandMode::wave);
    EXPECT_EQ(fake(*scene, 1).poses.back().handRight, HandMode::chain);
}

TEST_F(SwingSceneFrames, PoseCarriesTheSwingFrameRopesAndFits) {
    SwingConfig config;
    config.characters = {"ann"};
    config.handLeft = HandMode::wave;
    config.lean = 1.6;
    config.gripReach = 0.7;
    config.shine = 0.8;
    config.fits = {{1.3, 0.1, -0.05}};
    const auto scene = sceneWith(config);
    scene->updateAtTime(0.0);
    const FakeSwingCharacter& ann = fake(*scene, 0);
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
}

TEST_F(SwingSceneFrames, CursorModeWithoutCursorDataLooksAheadWithNoTarget) {
    SwingConfig config;
    config.characters = {"ann"};
    const auto scene = sceneWith(config);
    scene->setCursorOffset(glm::dvec2(0.4, 0.2));
    scene->setLookTargetWorld(glm::vec3(1, 2, 3));
    double time = 0;
    for (int i = 0; i < 60; ++i) scene->updateAtTime(time += kFrame);
    EXPECT_EQ(fake(*scene, 0).poses.back().lookTarget, glm::vec3(1, 2, 3));
    EXPECT_GT(fake(*scene, 0).poses.back().headYaw, 0.5);

    scene->setCursorOffset(std::nullopt);
    scene->setLookTargetWorld(std::nullopt);
    for (int i = 0; i < 120; ++i) scene->updateAtTime(time += kFrame);
    const CharacterPose& pose = fake(*scene, 0).poses.back();
    EXPECT_FALSE(pose.lookTarget.has_value());
    EXPECT_NEAR(pose.headYaw, 0.0, 1e-4);
    EXPECT_NEAR(pose.headPitch, 0.0, 1e-4);

    config.headMode = HeadMode::forward;
    apply(*scene, config);
    scene->setLookTargetWorld(glm::vec3(1, 2, 3));
    scene->updateAtTime(time += kFrame);
    EXPECT_FALSE(fake(*scene, 0).poses.back().lookTarget.has_value()) << "only cursor mode looks at targets";
}

TEST_F(SwingSceneFrames, DebugPoseHoldsTheSwingStill) {
    const auto scene = sceneWith(SwingConfig());
    scene->debugPose(30.0, 1.0, 0.0);
    EXPECT_NEAR(scene->theta(), kPi / 6, 1e-12);
    EXPECT_EQ(scene->omega(), 0.0);
    EXPECT_EQ(scene->leg(), 0.8);
    EXPECT_NEAR(scene->pivot()->eulerAngles().x, -kPi / 6, 1e-6);
    const CharacterPose& pose = fake(*scene, 0).poses.back();
    EXPECT_EQ(pose.headYaw, 0.35);
    EXPECT_EQ(pose.headPitch, -0.1);
    scene->setLegOverride(-0.5);
    scene->debugPose(-10.0, 1.0, 0.0);
    EXPECT_EQ(scene->leg(), -0.5);
}

TEST_F(SwingSceneFrames, AnimationSurvivesRebuilds) {
    SwingConfig config;
    config.characters = {"ann"};
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
}

}  // namespace
}  // namespace plimsa::testing
