#pragma once

namespace plimsa {

/// The configuration values the pendulum reads, already made safe by `SwingTuning` (finite, rope length
/// within its guard band). Lengths in scene units, angles in radians. Plain value, any thread.
struct PendulumSettings {
    double ropeLength = 2.2;
    double swingScale = 1.0;
    bool pumping = true;
    double cruiseAmplitude = 32.0 * 3.14159265358979323846 / 180.0;
};

}  // namespace plimsa
