#include "swing/SwingTuning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace plimsa {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDegrees = std::numbers::pi / 180;

TEST(SwingTuning, EachOptionAndFitPassesWithinItsBandAndIsHeldSafeOutsideIt) {
    using Field = double (*)(const SwingTuning&);
    const Field rope = [](const SwingTuning& t) { return t.ropeLength(); };
    const Field scale = [](const SwingTuning& t) { return t.swingScale(); };
    const Field cruise = [](const SwingTuning& t) { return t.motion.pendulum.cruiseAmplitude / kDegrees; };
    const Field tilt = [](const SwingTuning& t) { return t.tilt / kDegrees; };
    const Field kick = [](const SwingTuning& t) { return t.motion.kick; };
    const Field lean = [](const SwingTuning& t) { return t.lean; };
    const Field legBias = [](const SwingTuning& t) { return t.motion.legBias; };
    const Field gripReach = [](const SwingTuning& t) { return t.gripReach; };
    const Field shine = [](const SwingTuning& t) { return t.shine; };
    struct Case {
        double SwingConfig::*option;
        Field field;
        double value, expected;
    };
    const Case cases[] = {
        {&SwingConfig::ropeLength, rope, 1.2, 1.2},
        {&SwingConfig::ropeLength, rope, 7.0, 7.0},
        {&SwingConfig::ropeLength, rope, 0.0, SwingTuning::kMinRopeLength},
        {&SwingConfig::ropeLength, rope, 1e9, SwingTuning::kMaxRopeLength},
        {&SwingConfig::swingScale, scale, 0.35, 0.35},
        {&SwingConfig::swingScale, scale, 1.3, 1.3},
        {&SwingConfig::swingScale, scale, -3.0, SwingTuning::kMinScale},
        {&SwingConfig::swingScale, scale, kNaN, 1.0},
        {&SwingConfig::cruiseAmplitudeDegrees, cruise, 3.0, 3.0},
        {&SwingConfig::cruiseAmplitudeDegrees, cruise, 180.0, 180.0},
        {&SwingConfig::cruiseAmplitudeDegrees, cruise, 1e9, 360.0},  // still loops over the bar
        {&SwingConfig::cruiseAmplitudeDegrees, cruise, kNaN, 0.0},
        {&SwingConfig::tiltDegrees, tilt, -80.0, -80.0},
        {&SwingConfig::tiltDegrees, tilt, 388.0, 28.0},
        {&SwingConfig::tiltDegrees, tilt, kNaN, 0.0},
        {&SwingConfig::kick, kick, 1.6, 1.6},
        {&SwingConfig::kick, kick, -1e300, -10.0},
        {&SwingConfig::lean, lean, 2.0, 2.0},
        {&SwingConfig::legBias, legBias, -1.0, -1.0},
        {&SwingConfig::gripReach, gripReach, 0.95, 0.95},
        {&SwingConfig::gripReach, gripReach, kNaN, 0.62},
        {&SwingConfig::shine, shine, 1.0, 1.0},
    };
    for (const Case& c : cases) {
        SwingConfig config;
        config.*c.option = c.value;
        EXPECT_NEAR(c.field(SwingTuning::from(config)), c.expected, 1e-9) << "value " << c.value;
    }
    // Fits pass within their band, one per seat; non-finite sizes take the default.
    SwingConfig config;
    config.fits = {{0.6, -0.2, 0.25}, {1.5, 0.2, -0.25}};
    EXPECT_EQ(SwingTuning::from(config).fits, config.fits);
    config.fits = {{kNaN, 1e300, -1e300}, {INFINITY, 0, 0}, {0.6, 0, 0}};
    const SwingTuning tuning = SwingTuning::from(config);
    ASSERT_EQ(tuning.fits.size(), 2u) << "one fit per seat at most";
    EXPECT_EQ(tuning.fits[0], (CharacterFit{1.0, SwingTuning::kMaxOffset, -SwingTuning::kMaxOffset}));
    EXPECT_EQ(tuning.requestedSize(1), 1.0);
    EXPECT_EQ(tuning.requestedSize(2), 1.0);
}

}  // namespace
}  // namespace plimsa
