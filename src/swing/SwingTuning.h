#pragma once

#include <vector>

#include "config/CharacterFit.h"
#include "config/HandMode.h"
#include "config/SwingConfig.h"
#include "config/SwingSkin.h"
#include "swing/MotionSettings.h"

namespace plimsa {

/// The numbers of a `SwingConfig` as the swing scene uses them. The settings store accepts any number
/// that decodes, so every value is made safe here, once per configuration: non-finite values take the
/// record's default (tilt and offsets: 0), and each value is held inside a band that contains every
/// value the settings panel can set, so panel values pass unchanged while a rope of 0 or 1e9, a negative
/// scale or a size of 1e300 can neither divide by zero, hang a geometry builder nor reach a transform.
/// Angles in radians, lengths in scene units. Plain value, any thread.
struct SwingTuning {
    static constexpr double kMinRopeLength = 0.25;  // the panel's shortest rope is 1.2
    static constexpr double kMaxRopeLength = 10.0;  // the panel's longest is 7.0
    static constexpr double kMinScale = 0.05;       // the panel offers 0.35 .. 1.3
    static constexpr double kMaxScale = 10.0;
    static constexpr double kMinSize = 0.05;   // the panel offers 0.6 .. 1.5
    static constexpr double kMaxSize = 9.0;    // the seats' published maximum
    static constexpr double kMaxOffset = 2.0;  // lift and forward; the panel offers up to 0.25

    static SwingTuning from(const SwingConfig& config);

    MotionSettings motion;  // rope, scale, pumping, cruise amplitude (radians, 0 .. 2 pi), kick, bias, head
    double tilt = 28.0 * 3.14159265358979323846 / 180.0;  // radians
    double tiltDegrees = 28.0;
    double lean = 1.0;
    double gripReach = 0.62;
    double shine = 0.1;
    HandMode handLeft = HandMode::chain;
    HandMode handRight = HandMode::chain;
    HandMode innerHand = HandMode::loose;
    SwingSkin skin = SwingSkin::classic;
    std::vector<CharacterFit> fits{CharacterFit{}};  // at most one per seat (two)

    double ropeLength() const { return motion.pendulum.ropeLength; }
    double swingScale() const { return motion.pendulum.swingScale; }
    /// `fits[seat].size` when the seat has a fit, else 1.0.
    double requestedSize(size_t seat) const { return seat < fits.size() ? fits[seat].size : 1.0; }
    /// `fits[seat]` when present, else size 1 with no offsets.
    CharacterFit fit(size_t seat) const { return seat < fits.size() ? fits[seat] : CharacterFit{}; }
};

}  // namespace plimsa
