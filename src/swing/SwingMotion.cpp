#include "swing/SwingMotion.h"

#include <algorithm>
#include <cmath>

namespace plimsa {

SwingMotion::SwingMotion(std::uint64_t seed) : random_(seed) {
    pendulum_.setTheta(uniform(-0.4, 0.4));
}

double SwingMotion::uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
}

double SwingMotion::beginFrame(double time) {
    if (!std::isfinite(time)) return 0.0;
    const double dt = lastTime_ ? std::clamp(time - *lastTime_, 0.0, Pendulum::kMaxStep) : 0.0;
    lastTime_ = time;
    return dt;
}

void SwingMotion::setLeg(double leg) {
    leg_ = std::isfinite(leg) ? std::clamp(leg, -1.0, 1.0) : 0.0;
}

void SwingMotion::forceLeg(double leg) {
    leg_ = std::isfinite(leg) ? leg : 0.0;
}

void SwingMotion::stepLegs(double dt, const MotionSettings& settings) {
    const double kickNow =
        settings.pendulum.pumping ? std::tanh(1.3 * pendulum_.omega()) * settings.kick : 0.0;
    double target = std::clamp(kickNow + settings.legBias, -1.0, 1.0);
    if (!std::isfinite(target)) target = 0.0;
    leg_ += std::min(9 * dt, 1.0) * (target - leg_);
}

double SwingMotion::stepBlink(double time) {
    if (nextBlink_ < time) {
        blinkEnd_ = time + 0.12;
        nextBlink_ = time + uniform(2.0, 6.0);
    }
    return time < blinkEnd_ ? 0.08 : 1.0;
}

SwingMotion::Look SwingMotion::headTarget(double time, HeadMode mode) {
    switch (mode) {
        case HeadMode::cursor:
            if (!cursorOffset_) return {};
            return {std::clamp(1.6 * cursorOffset_->x, -0.75, 0.75),
                    std::clamp(-1.2 * cursorOffset_->y, -0.45, 0.35)};
        case HeadMode::idle:
            if (nextIdleLook_ < time) {
                idleLook_.yaw = uniform(-0.5, 0.5);
                idleLook_.pitch = uniform(-0.2, 0.15);
                nextIdleLook_ = time + uniform(2.5, 7.0);
            }
            return idleLook_;
        case HeadMode::forward:
            break;
    }
    return {};
}

void SwingMotion::stepHead(double dt, double time, HeadMode mode) {
    const Look target = headTarget(time, mode);
    const double k = std::min(6 * dt, 1.0);
    head_.yaw += k * (target.yaw - head_.yaw);
    head_.pitch += k * (target.pitch - head_.pitch);
}

void SwingMotion::setCursorOffset(std::optional<glm::dvec2> offset) {
    if (offset && !(std::isfinite(offset->x) && std::isfinite(offset->y))) offset.reset();
    cursorOffset_ = offset;
}

void SwingMotion::setLookTargetWorld(std::optional<glm::vec3> target) {
    if (target && !(std::isfinite(target->x) && std::isfinite(target->y) && std::isfinite(target->z)))
        target.reset();
    lookTargetWorld_ = target;
}

}  // namespace plimsa
