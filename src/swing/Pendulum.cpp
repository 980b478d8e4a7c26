#include "swing/Pendulum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plimsa {

namespace {
constexpr double kPi = std::numbers::pi;

double wrapAngle(double theta) {
    if (theta > kPi) theta -= 2 * kPi;
    if (theta < -kPi) theta += 2 * kPi;
    // One subtraction covers any step the integrator can take; a far-off value set from outside needs more.
    if (theta > kPi || theta < -kPi) {
        theta = std::remainder(theta, 2 * kPi);
        if (theta <= -kPi) theta = kPi;
    }
    return theta;
}
}  // namespace

double Pendulum::finiteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

void Pendulum::setTheta(double theta) {
    theta_ = wrapAngle(finiteOrZero(theta));
}

void Pendulum::addPush(double amount) {
    if (std::isfinite(amount)) pushRequest_.fetch_add(amount, std::memory_order_relaxed);
}

double Pendulum::gravity(double swingScale) {
    return 9.81 / std::max(swingScale, 0.2);
}

double Pendulum::energy(const PendulumSettings& settings) const {
    const double g = gravity(settings.swingScale);
    return 0.5 * settings.ropeLength * omega_ * omega_ + g * (1 - std::cos(theta_));
}

double Pendulum::pumpAcceleration(const PendulumSettings& settings, double g) const {
    const double amplitude = settings.cruiseAmplitude;
    const double target = amplitude >= kPi ? kLoopEnergy * g : g * (1 - std::cos(amplitude));
    const double energyNow = energy(settings);
    if (!(energyNow < target)) return 0.0;
    const double deficit = std::min((target - energyNow) / (0.25 * g), 1.0);
    const double ramp = std::min(std::abs(omega_) / 0.4 + 0.15, 1.0);
    return omega_ >= 0 ? ramp * kPumpGain * deficit : -ramp * kPumpGain * deficit;
}

void Pendulum::step(double dt, const PendulumSettings& settings) {
    const double length = settings.ropeLength;
    const double g = gravity(settings.swingScale);
    // exchange, not load-then-store: a push landing between the two would otherwise be dropped.
    const double push = pushRequest_.exchange(0.0, std::memory_order_relaxed);
    if (push != 0) omega_ += push;

    double acceleration = -kDamping * omega_ - (g / length) * std::sin(theta_);
    if (settings.pumping) {
        acceleration += pumpAcceleration(settings, g);
        if (std::abs(omega_) < 0.02 && energy(settings) < 0.02 * g) omega_ += kStartNudge;
    }
    omega_ += dt * acceleration;
    theta_ = wrapAngle(theta_ + dt * omega_);
    if (!std::isfinite(theta_) || !std::isfinite(omega_)) theta_ = omega_ = 0.0;
    // The damping alone would never reach zero; below any visible sway the swing simply stops.
    if (!settings.pumping && energy(settings) < g * (1 - std::cos(kRestAmplitude))) theta_ = omega_ = 0.0;
}

double Pendulum::predictedAmplitude(const PendulumSettings& settings) const {
    const double g = gravity(settings.swingScale);
    const double energyNow = energy(settings);
    const double current = energyNow >= 2 * g ? kPi : std::acos(std::clamp(1 - energyNow / g, -1.0, 1.0));
    const double predicted = std::min(std::max(current, settings.cruiseAmplitude) * 1.15 + 0.1, kPi);
    return std::isfinite(predicted) ? predicted : kPi;
}

}  // namespace plimsa
