// The per-frame half of SwingScene: stepping the motion, turning the pivot and posing the characters.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/scene/Node.h"
#include "swing/SwingScene.h"

namespace plimsa {

namespace {
double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}
}  // namespace

void SwingScene::updateAtTime(double time) {
    // A clock that misbehaves must not reach the poses: hold the last good time instead.
    const double now = std::isfinite(time) ? time : motion_.lastTime().value_or(0.0);
    const double dt = motion_.beginFrame(now);
    stepPendulum(dt);
    stepLegs(dt);
    const double blink = stepBlink(now);
    stepHead(dt, now);
    applyPose(motion_.headYaw(), motion_.headPitch(), blink, now);
}

void SwingScene::stepPendulum(double dt) {
    motion_.stepPendulum(dt, tuning_.motion.pendulum);
    setPivotAngle(motion_.pendulum().theta());
}

void SwingScene::stepLegs(double dt) {
    motion_.stepLegs(dt, tuning_.motion);
}

double SwingScene::stepBlink(double time) {
    return motion_.stepBlink(time);
}

void SwingScene::stepHead(double dt, double time) {
    motion_.stepHead(dt, time, tuning_.motion.headMode);
}

void SwingScene::setPivotAngle(double theta) {
    glm::vec3 angles = pivot_->eulerAngles();
    angles.x = static_cast<float>(-theta);
    pivot_->setEulerAngles(angles);
}

void SwingScene::applyPose(double headYaw, double headPitch, double blink, double time) {
    CharacterPose pose;
    pose.leg = motion_.leg();
    // The snapshot mode passes its own numbers straight through; none may reach a bone as NaN.
    pose.headYaw = finiteOr(headYaw, 0.0);
    pose.headPitch = finiteOr(headPitch, 0.0);
    pose.blink = finiteOr(blink, 1.0);
    pose.time = finiteOr(time, 0.0);
    pose.lean = tuning_.lean;
    pose.chainXs = chainXs();
    if (seatBuild_) pose.ropes = seatBuild_->ropes;
    if (tuning_.motion.headMode == HeadMode::cursor) pose.lookTarget = motion_.lookTargetWorld();
    pose.gripReach = tuning_.gripReach;
    pose.shine = tuning_.shine;

    const bool sideBySide = builtSeats_ == 2 && characters_.size() == 2;
    // Two characters never hold each other's chain: an inner "chain" hand hangs loose instead.
    const HandMode inner = tuning_.innerHand == HandMode::chain ? HandMode::loose : tuning_.innerHand;
    for (size_t i = 0; i < characters_.size(); ++i) {
        pose.sizeMultiplier = i < effectiveSizes_.size() ? effectiveSizes_[i] : tuning_.requestedSize(i);
        const CharacterFit fit = tuning_.fit(i);
        pose.seatLift = fit.lift;
        pose.seatForward = fit.forward;
        if (sideBySide) {
            pose.handLeft = i == 0 ? HandMode::chain : inner;
            pose.handRight = i == 0 ? inner : HandMode::chain;
        } else {
            pose.handLeft = tuning_.handLeft;
            pose.handRight = tuning_.handRight;
        }
        characters_[i]->apply(pose, *swingParts_);
    }
}

void SwingScene::debugPose(double thetaDegrees, double blink, double time) {
    motion_.pendulum().setTheta(thetaDegrees * std::numbers::pi / 180);
    motion_.pendulum().setOmega(0.0);
    // The override reaches the pose as given, even beyond the range the motion itself keeps to.
    if (legOverride_)
        motion_.forceLeg(*legOverride_);
    else
        motion_.setLeg(thetaDegrees > 0 ? 0.8 : 0.0);
    setPivotAngle(motion_.pendulum().theta());
    applyPose(0.35, -0.1, blink, time);
}

}  // namespace plimsa
