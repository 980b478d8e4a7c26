#include "swing/SwingTuning.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

namespace plimsa {

namespace {
double bounded(double value, double fallback, double low, double high) {
    return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
}
}  // namespace

SwingTuning SwingTuning::from(const SwingConfig& config) {
    constexpr double kDegrees = std::numbers::pi / 180.0;
    SwingTuning tuning;
    PendulumSettings& pendulum = tuning.motion.pendulum;
    pendulum.ropeLength = bounded(config.ropeLength, 2.2, kMinRopeLength, kMaxRopeLength);
    pendulum.swingScale = bounded(config.swingScale, 1.0, kMinScale, kMaxScale);
    pendulum.pumping = config.pumping;
    pendulum.cruiseAmplitude = bounded(config.cruiseAmplitudeDegrees, 0.0, 0.0, 360.0) * kDegrees;
    tuning.motion.kick = bounded(config.kick, 1.0, -10.0, 10.0);
    tuning.motion.legBias = bounded(config.legBias, 0.0, -1.0, 1.0);
    tuning.motion.headMode = config.headMode;

    // Whole turns are dropped so that a huge tilt keeps its sine and cosine exact.
    tuning.tiltDegrees = std::isfinite(config.tiltDegrees) ? std::fmod(config.tiltDegrees, 360.0) : 0.0;
    tuning.tilt = tuning.tiltDegrees * kDegrees;
    tuning.lean = bounded(config.lean, 1.0, -10.0, 10.0);
    tuning.gripReach = bounded(config.gripReach, 0.62, 0.0, 2.0);
    tuning.shine = bounded(config.shine, 0.1, 0.0, 1.0);
    tuning.handLeft = config.handLeft;
    tuning.handRight = config.handRight;
    tuning.innerHand = config.innerHand;
    tuning.skin = config.skin;

    tuning.fits.clear();
    const size_t seats = std::min<size_t>(config.fits.size(), 2);
    for (const CharacterFit& fit : std::span(config.fits).first(seats))
        tuning.fits.push_back({bounded(fit.size, 1.0, kMinSize, kMaxSize),
                               bounded(fit.lift, 0.0, -kMaxOffset, kMaxOffset),
                               bounded(fit.forward, 0.0, -kMaxOffset, kMaxOffset)});
    return tuning;
}

}  // namespace plimsa
