#include "swing/SwingTuning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace plimsa {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDegrees = std::numbers::pi / 180;

TEST(SwingTuning, EveryValueThePanelCanSetPassesUnchanged) {
    // Both ends of each band the panel offers, and a value inside it.
    struct Case {
        double rope, scale, amplitude, tilt, kick, lean, legBias, gripReach, shine;
    };
    for (const Case& c : {Case{1.2, 0.35, 3.0, -80, 0.0, 0.0, -1.0, 0.3, 0.0},
                          Case{2.2, 1.0, 32.0, 28, 0.8, 1.0, 0.0, 0.62, 0.5},
                          Case{7.0, 1.3, 180.0, 80, 1.6, 2.0, 1.0, 0.95, 1.0}}) {
        SwingConfig config;
        config.ropeLength = c.rope;
        config.swingScale = c.scale;
        config.cruiseAmplitudeDegrees = c.amplitude;
        config.tiltDegrees = c.tilt;
        config.kick = c.kick;
        config.lean = c.lean;
        config.legBias = c.legBias;
        config.gripReach = c.gripReach;
        config.shine = c.shine;
        config.fits = {{0.6, -0.2, 0.25}, {1.5, 0.2, -0.25}};
        const SwingTuning tuning = SwingTuning::from(config);
        EXPECT_EQ(tuning.ropeLength(), c.rope);
        EXPECT_EQ(tuning.swingScale(), c.scale);
        EXPECT_DOUBLE_EQ(tuning.motion.pendulum.cruiseAmplitude, c.amplitude * kDegrees);
        EXPECT_DOUBLE_EQ(tuning.tilt, c.tilt * kDegrees);
        EXPECT_EQ(tuning.motion.kick, c.kick);
        EXPECT_EQ(tuning.lean, c.lean);
        EXPECT_EQ(tuning.motion.legBias, c.legBias);
        EXPECT_EQ(tuning.gripReach, c.gripReach);
        EXPECT_EQ(tuning.shine, c.shine);
        EXPECT_EQ(tuning.fits, config.fits);
    }
}

TEST(SwingTuning, OutOfBandAndNonFiniteValuesAreHeldSafe) {
    SwingConfig config;
    config.ropeLength = 0.0;
    config.swingScale = -3.0;
    config.cruiseAmplitudeDegrees = 1e9;
    config.tiltDegrees = kNaN;
    config.kick = -1e300;
    config.gripReach = kNaN;
    config.fits = {{kNaN, 1e300, -1e300}, {INFINITY, 0, 0}, {0.6, 0, 0}};
    SwingTuning tuning = SwingTuning::from(config);
    EXPECT_EQ(tuning.ropeLength(), SwingTuning::kMinRopeLength);
    EXPECT_EQ(tuning.swingScale(), SwingTuning::kMinScale);
    EXPECT_GE(tuning.motion.pendulum.cruiseAmplitude, std::numbers::pi) << "still loops over the bar";
    EXPECT_EQ(tuning.tilt, 0.0);
    EXPECT_EQ(tuning.motion.kick, -10.0);
    EXPECT_EQ(tuning.gripReach, 0.62);
    ASSERT_EQ(tuning.fits.size(), 2u) << "one fit per seat at most";
    EXPECT_EQ(tuning.fits[0], (CharacterFit{1.0, SwingTuning::kMaxOffset, -SwingTuning::kMaxOffset}));
    EXPECT_EQ(tuning.requestedSize(1), 1.0) << "non-finite takes the default";
    EXPECT_EQ(tuning.requestedSize(2), 1.0);

    config.ropeLength = 1e9;
    config.swingScale = kNaN;
    config.cruiseAmplitudeDegrees = kNaN;
    config.tiltDegrees = 388.0;
    tuning = SwingTuning::from(config);
    EXPECT_EQ(tuning.ropeLength(), SwingTuning::kMaxRopeLength);
    EXPECT_EQ(tuning.swingScale(), 1.0);
    EXPECT_EQ(tuning.motion.pendulum.cruiseAmplitude, 0.0);
    EXPECT_DOUBLE_EQ(tuning.tiltDegrees, 28.0);
}

}  // namespace
}  // namespace plimsa
