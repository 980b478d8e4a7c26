#include "swing/Pendulum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

namespace plimsa {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFrame = 1.0 / 60;

PendulumSettings settings(bool pumping, double cruiseDegrees = 32.0) {
    PendulumSettings s;
    s.pumping = pumping;
    s.cruiseAmplitude = cruiseDegrees * kPi / 180;
    return s;
}

// Largest |theta| over `seconds` of 60 fps frames.
double amplitudeOver(Pendulum& pendulum, const PendulumSettings& s, double seconds) {
    double largest = 0;
    for (int i = 0; i < static_cast<int>(seconds / kFrame); ++i) {
        pendulum.step(kFrame, s);
        largest = std::max(largest, std::abs(pendulum.theta()));
    }
    return largest;
}

TEST(Pendulum, WithoutPumpingASwingDecaysAndARestingOneStaysWithPumpingItStartsAndCruises) {
    const PendulumSettings off = settings(false);
    Pendulum resting;
    for (int i = 0; i < 120; ++i) resting.step(kFrame, off);
    EXPECT_EQ(resting.theta(), 0.0);
    EXPECT_EQ(resting.omega(), 0.0);

    Pendulum swinging;
    swinging.setTheta(0.5);
    const double early = amplitudeOver(swinging, off, 5);
    amplitudeOver(swinging, off, 10);
    const double late = amplitudeOver(swinging, off, 5);
    EXPECT_LT(late, early * 0.5);  // damping 0.1/s over ~15 s: about exp(-0.75)
    EXPECT_GT(late, early * 0.25);
    // It sways freely until its sway is invisible (about 200 s from 0.5), then rests exactly.
    amplitudeOver(swinging, off, 150);
    EXPECT_GT(amplitudeOver(swinging, off, 5), 2 * Pendulum::kRestAmplitude);
    amplitudeOver(swinging, off, 60);
    EXPECT_EQ(std::pair(swinging.theta(), swinging.omega()), std::pair(0.0, 0.0));
    // With pumping a resting swing starts itself and settles at the cruise amplitude.
    const PendulumSettings on = settings(true, 32.0);
    Pendulum pendulum;
    pendulum.step(kFrame, on);
    EXPECT_GE(pendulum.omega(), 0.25);
    EXPECT_LT(pendulum.omega(), 0.25 + kFrame * Pendulum::kPumpGain);

    amplitudeOver(pendulum, on, 60);
    const double cruise = amplitudeOver(pendulum, on, 10);
    EXPECT_NEAR(cruise, 32.0 * kPi / 180, 0.12);
}

TEST(Pendulum, PushAddsToOmegaWhateverTheDirectionAndNonFiniteInputIsRefused) {
    const PendulumSettings off = settings(false);
    Pendulum pendulum;
    pendulum.setOmega(-2.0);
    pendulum.addPush();
    pendulum.addPush();
    pendulum.step(0.0, off);
    EXPECT_DOUBLE_EQ(pendulum.omega(), -2.0 + 2.8);
    EXPECT_EQ(pendulum.pendingPush(), 0.0);
    pendulum.step(0.0, off);
    EXPECT_DOUBLE_EQ(pendulum.omega(), 0.8);  // consumed once
    // Non-finite input is refused; theta wraps into (-pi, pi].
    pendulum.setTheta(0.0);
    pendulum.setOmega(0.0);
    pendulum.setTheta(std::nan(""));
    pendulum.setOmega(INFINITY);
    pendulum.addPush(std::nan(""));
    EXPECT_EQ(pendulum.theta(), 0.0);
    EXPECT_EQ(pendulum.omega(), 0.0);
    EXPECT_EQ(pendulum.pendingPush(), 0.0);
    pendulum.setTheta(7 * kPi + 0.1);
    EXPECT_NEAR(pendulum.theta(), -kPi + 0.1, 1e-9);
}

TEST(Pendulum, PushesFromOtherThreadsBetweenStepsAreNeverLost) {
    const PendulumSettings off = settings(false);
    Pendulum pendulum;
    pendulum.setTheta(0.0);
    constexpr int kThreads = 4;
    constexpr int kPushes = 2000;
    std::vector<std::thread> pushers;
    for (int t = 0; t < kThreads; ++t)
        pushers.emplace_back([&] {
            for (int i = 0; i < kPushes; ++i) pendulum.addPush(1.0);
        });
    for (int i = 0; i < 5000; ++i) pendulum.step(0.0, off);  // dt 0: only pushes change omega
    for (auto& pusher : pushers) pusher.join();
    pendulum.step(0.0, off);
    EXPECT_DOUBLE_EQ(pendulum.omega(), kThreads * kPushes);
}

TEST(Pendulum, CruiseOfHalfATurnLoopsOverTheBarAndThePredictedAmplitudeStaysWithinItsBounds) {
    const PendulumSettings loop = settings(true, 180.0);
    Pendulum pendulum;
    bool wrapped = false;
    double previous = pendulum.theta();
    for (int i = 0; i < 60 * 40 && !wrapped; ++i) {
        pendulum.step(kFrame, loop);
        const double theta = pendulum.theta();
        ASSERT_GT(theta, -kPi);
        ASSERT_LE(theta, kPi);
        if (std::abs(theta - previous) > kPi) {
            wrapped = true;
            // Over the top: across +-pi while still moving the same way.
            EXPECT_GT(std::abs(previous), 2.5);
            EXPECT_GT(std::abs(theta), 2.5);
            EXPECT_EQ(theta<0, pendulum.omega()> 0) << "wraps in the direction of motion";
        }
        previous = theta;
    }
    EXPECT_TRUE(wrapped);
    // The predicted amplitude stays within its bounds.
    for (const double cruise : {0.0, 3.0, 32.0, 90.0, 170.0, 180.0, 360.0})
        for (const double theta : {-3.0, -1.0, 0.0, 0.4, 2.0, 3.1})
            for (const double omega : {-9.0, -1.0, 0.0, 0.3, 5.0}) {
                Pendulum probe;
                probe.setTheta(theta);
                probe.setOmega(omega);
                const PendulumSettings s = settings(false, cruise);
                const double predicted = probe.predictedAmplitude(s);
                EXPECT_LE(predicted, kPi);
                EXPECT_GE(predicted, std::min(0.1 + 1.15 * s.cruiseAmplitude, kPi) - 1e-12);
                EXPECT_GE(predicted, std::min(1.15 * std::abs(theta) + 0.1, kPi) - 1e-9)
                    << "a swing already out at theta needs at least that much room";
            }
}

}  // namespace
}  // namespace plimsa
