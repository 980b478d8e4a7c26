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
    for (const double rope : {1.2, 2.2, 7.0})
        for (const double scale : {0.35, 1.0, 1.3})
            for (const double amplitude : {3.0, 32.0, 180.0}) {
                SwingConfig config;
                config.ropeLength = rope;
                config.swingScale = scale;
                config.cruiseAmplitudeDegrees = amplitude;
                config.tiltDegrees = -80;
                config.kick = 1.6;
                config.lean = 2.0;
                config.legBias = -1.0;
                config.gripReach = 0.95;
                config.shine = 1.0;
                config.fits = {{0.6, -0.2, 0.25}, {1.5, 0.2, -0.25}};
                const SwingTuning tuning = SwingTuning::from(config);
                EXPECT_EQ(tuning.ropeLength(), rope);
                EXPECT_EQ(tuning.swingScale(), scale);
                EXPECT_DOUBLE_EQ(tuning.motion.pendulum.cruiseAmplitude, amplitude * kDegrees);
                EXPECT_DOUBLE_EQ(tuning.tilt, -80 * kDegrees);
                EXPECT_EQ(tuning.motion.kick, 1.6);
                EXPECT_EQ(tuning.lean, 2.0);
                EXPECT_EQ(tuning.motion.legBias, -1.0);
                EXPECT_EQ(tuning.gripReach, 0.95);
                EXPECT_EQ(tuning.shine, 1.0);
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
