#pragma once

#include <atomic>

#include "swing/PendulumSettings.h"

namespace plimsa {

/// The swing's driven, damped pendulum: one angle and one angular velocity, advanced by semi-implicit
/// Euler steps. A pumping term drives the swing toward the energy of its cruise amplitude; a cruise
/// amplitude of pi or more drives it over the bar in full loops.
///
/// `theta` is in radians, 0 hanging straight down, kept in (-pi, pi]; `omega` in rad/s. Pushes may be
/// added from any thread at any time (`addPush` is lock-free and loses nothing); everything else belongs
/// to the thread that steps the swing.
class Pendulum {
  public:
    static constexpr double kPush = 1.4;          // rad/s added by one click or menu push
    static constexpr double kMaxStep = 1.0 / 30;  // longest time step, s
    static constexpr double kDamping = 0.1;       // per second
    static constexpr double kPumpGain = 1.4;      // rad/s^2 at full pumping
    static constexpr double kLoopEnergy = 2.7;    // energy target in units of g when looping
    static constexpr double kStartNudge = 0.25;   // rad/s given to a swing at rest
    /// Unpumped, a swing whose amplitude has decayed below this (well under a tenth of a pixel at its
    /// seat, even on large swings and screens) comes exactly to rest, so that its frames can stay the same.
    static constexpr double kRestAmplitude = 2e-5;

    Pendulum() = default;
    Pendulum(const Pendulum&) = delete;
    Pendulum& operator=(const Pendulum&) = delete;

    double theta() const { return theta_; }
    /// Non-finite angles become 0; others are wrapped into (-pi, pi].
    void setTheta(double theta);
    double omega() const { return omega_; }
    /// Non-finite velocities become 0.
    void setOmega(double omega) { omega_ = finiteOrZero(omega); }

    /// Adds `amount` (rad/s) to the velocity at the next step, in the positive direction of `omega`.
    /// Thread-safe; pushes that arrive between steps accumulate.
    void addPush(double amount = kPush);
    /// The sum of pushes not yet consumed by a step.
    double pendingPush() const { return pushRequest_.load(std::memory_order_relaxed); }

    /// Advances by `dt` seconds (the caller clamps it to [0, kMaxStep]). Consumes the pending pushes.
    /// Without pumping, a swing left with less than `kRestAmplitude` is set exactly to rest.
    void step(double dt, const PendulumSettings& settings);

    /// Effective gravity: 9.81 / max(swingScale, 0.2).
    static double gravity(double swingScale);
    /// 0.5 L omega^2 + g (1 - cos theta): energy per unit mass and unit length.
    double energy(const PendulumSettings& settings) const;
    /// How far the swing will travel either way, radians in (0, pi]: the larger of the current amplitude
    /// and the cruise amplitude, with a margin.
    double predictedAmplitude(const PendulumSettings& settings) const;

  private:
    static double finiteOrZero(double value);
    double pumpAcceleration(const PendulumSettings& settings, double g) const;

    double theta_ = 0.0;
    double omega_ = 0.0;
    std::atomic<double> pushRequest_{0.0};
};

}  // namespace plimsa
