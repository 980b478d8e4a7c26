#include "swing/SwingMotion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plimsa {
namespace {

MotionSettings motionSettings(bool pumping = true, HeadMode head = HeadMode::cursor) {
    MotionSettings s;
    s.pendulum.pumping = pumping;
    s.headMode = head;
    return s;
}

TEST(SwingMotion, InitialAngleIsSeededFrameStepIsZeroFirstAndCappedAndABlinkLastsPointTwelveSeconds) {
    SwingMotion motion(1);
    EXPECT_EQ(motion.beginFrame(12.0), 0.0);
    EXPECT_NEAR(motion.beginFrame(12.01), 0.01, 1e-12);
    EXPECT_EQ(motion.beginFrame(19.0), 1.0 / 30);
    EXPECT_EQ(motion.beginFrame(18.0), 0.0);  // a clock that steps back
    EXPECT_EQ(motion.beginFrame(std::nan("")), 0.0);
    EXPECT_EQ(motion.lastTime(), 18.0);
    // A blink fires once its time has passed and lasts 0.12 s.
    SwingMotion blinking(3);
    EXPECT_EQ(blinking.stepBlink(1.0), 1.0);
    EXPECT_EQ(blinking.stepBlink(2.5), 0.08);
    EXPECT_EQ(blinking.stepBlink(2.6), 0.08);
    EXPECT_EQ(blinking.stepBlink(2.63), 1.0);
    EXPECT_GE(blinking.nextBlink(), 4.5);
    EXPECT_LE(blinking.nextBlink(), 8.5);
    // The initial angle is drawn from the seed, within 0.4.
    for (std::uint64_t seed = 0; seed < 50; ++seed) {
        const SwingMotion motion(seed);
        EXPECT_LE(std::abs(motion.pendulum().theta()), 0.4);
    }
    EXPECT_EQ(SwingMotion(7).pendulum().theta(), SwingMotion(7).pendulum().theta());
    EXPECT_NE(SwingMotion(7).pendulum().theta(), SwingMotion(8).pendulum().theta());
}

TEST(SwingMotion, LegsFollowTheKickOrSettleAtTheBiasAndIdleGlancesAreDrawnWhenDue) {
    SwingMotion motion(1);
    MotionSettings off = motionSettings(false);
    off.legBias = -0.4;
    for (int i = 0; i < 120; ++i) motion.stepLegs(1.0 / 60, off);
    EXPECT_NEAR(motion.leg(), -0.4, 1e-6);

    MotionSettings on = motionSettings(true);
    on.legBias = 0.5;
    motion.pendulum().setOmega(3.0);
    for (int i = 0; i < 120; ++i) motion.stepLegs(1.0 / 60, on);
    EXPECT_NEAR(motion.leg(), 1.0, 1e-6);  // tanh(3.9) + 0.5, clamped

    motion.pendulum().setOmega(-3.0);
    motion.stepLegs(0.0, on);
    EXPECT_NEAR(motion.leg(), 1.0, 1e-6);  // dt 0 moves nothing
    // Idle glances are drawn when due and persist across modes.
    SwingMotion glancing(5);
    glancing.stepHead(0.0, 3.5, HeadMode::idle);  // first frame: no easing, but the timer fires
    const SwingMotion::Look glance = glancing.idleLook();
    EXPECT_LE(std::abs(glance.yaw), 0.5);
    EXPECT_GE(glance.pitch, -0.2);
    EXPECT_LE(glance.pitch, 0.15);
    EXPECT_GE(glancing.nextIdleLook(), 6.0);
    EXPECT_LE(glancing.nextIdleLook(), 10.5);
    EXPECT_EQ(glancing.headYaw(), 0.0);

    glancing.stepHead(1.0, 4.0, HeadMode::forward);
    glancing.stepHead(1.0, 100.0, HeadMode::forward);  // the glance timer does not run in other modes
    EXPECT_EQ(glancing.idleLook().yaw, glance.yaw);
    glancing.stepHead(1.0, 4.0, HeadMode::idle);
    EXPECT_DOUBLE_EQ(glancing.headYaw(), glance.yaw);
}

TEST(SwingMotion, CursorModeClampsItsTargetsAndWithoutCursorEasesTheHeadBackToStraight) {
    SwingMotion motion(1);
    motion.setCursorOffset(glm::dvec2(0.3, -0.2));
    for (int i = 0; i < 120; ++i) motion.stepHead(1.0 / 60, i / 60.0, HeadMode::cursor);
    EXPECT_NEAR(motion.headYaw(), 0.48, 1e-4);
    EXPECT_NEAR(motion.headPitch(), 0.24, 1e-4);

    motion.setCursorOffset(std::nullopt);
    for (int i = 0; i < 120; ++i) motion.stepHead(1.0 / 60, 2 + i / 60.0, HeadMode::cursor);
    EXPECT_NEAR(motion.headYaw(), 0.0, 1e-4);
    EXPECT_NEAR(motion.headPitch(), 0.0, 1e-4);
    // Targets are clamped and non-finite offsets ignored.
    motion.setCursorOffset(glm::dvec2(5.0, 5.0));
    motion.stepHead(1.0, 0.0, HeadMode::cursor);
    EXPECT_DOUBLE_EQ(motion.headYaw(), 0.75);
    EXPECT_DOUBLE_EQ(motion.headPitch(), -0.45);
    motion.setCursorOffset(glm::dvec2(-5.0, -5.0));
    motion.stepHead(1.0, 0.0, HeadMode::cursor);
    EXPECT_DOUBLE_EQ(motion.headYaw(), -0.75);
    EXPECT_DOUBLE_EQ(motion.headPitch(), 0.35);
    motion.setCursorOffset(glm::dvec2(std::nan(""), 0.0));
    EXPECT_FALSE(motion.cursorOffset().has_value());
    motion.setLookTargetWorld(glm::vec3(0, INFINITY, 0));
    EXPECT_FALSE(motion.lookTargetWorld().has_value());
}

}  // namespace
}  // namespace plimsa
