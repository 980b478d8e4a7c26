#include "swing/WindowSizing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace plimsa {
namespace {

constexpr double kPi = std::numbers::pi;

SwingExtent straightSwing() {
    SwingExtent swing;
    swing.tiltDegrees = 0.0;
    return swing;
}

TEST(WindowSizing, HangingStillNeedsRoomForFeetHeadAndBoardAndSmallSwingsTheMinimumWindow) {
    // Feet 3.1 below the bar plus 0.3 -> 3.4 units; board ends 1.4 out plus 0.4 each side -> 3.6 units.
    EXPECT_EQ(WindowSizing::requiredSize(straightSwing(), 0.0, std::nullopt), (WindowSize{432, 408}));
    // -1 rad either way is no range at all: the depth of the rope and a narrow window.
    EXPECT_EQ(WindowSizing::requiredSize(straightSwing(), -1.0, std::nullopt), (WindowSize{420, 354}));
    // Small swings get the minimum window for their scale and seats.
    SwingExtent tiny = straightSwing();
    tiny.ropeLength = 0.25;
    tiny.largestSize = 0.05;
    EXPECT_EQ(WindowSizing::requiredSize(tiny, 0.0, std::nullopt), (WindowSize{420, 300}));
    tiny.seats = 2;
    tiny.boardWidth = 2.0;
    EXPECT_EQ(WindowSizing::requiredSize(tiny, 0.0, std::nullopt), (WindowSize{600, 300}));
    tiny.swingScale = 0.35;
    EXPECT_EQ(WindowSizing::requiredSize(tiny, 0.0, std::nullopt), (WindowSize{210, 105}));
}

TEST(WindowSizing, NeverLargerThanTheScreenOrNinetyPercentOfItsHeight) {
    SwingExtent huge;
    huge.ropeLength = 7.0;
    huge.swingScale = 1.3;
    huge.largestSize = 1.5;
    huge.seats = 2;
    huge.boardWidth = 3.0;
    EXPECT_EQ(WindowSizing::requiredSize(huge, kPi, WindowSize{1440, 900}), (WindowSize{1440, 810}));
    EXPECT_EQ(WindowSizing::requiredSize(huge, kPi, std::nullopt), (WindowSize{1600, 900}));
    EXPECT_EQ(WindowSizing::requiredSize(huge, kPi, WindowSize{0, std::nan("")}), (WindowSize{1600, 900}))
        << "an unusable screen counts as none";
}

TEST(WindowSizing, WiderSwingsNeedAtLeastAsMuchRoomButAWholeCircleNothingAboveTheBar) {
    const SwingExtent swing;  // tilted 28 degrees
    WindowSize previous = WindowSizing::requiredSize(swing, 0.0, std::nullopt);
    for (double amplitude = 0.1; amplitude <= kPi; amplitude += 0.1) {
        const WindowSize size = WindowSizing::requiredSize(swing, amplitude, std::nullopt);
        EXPECT_GE(size.width, previous.width - 1) << amplitude;
        EXPECT_GE(size.height, previous.height - 1) << amplitude;
        previous = size;
    }
    // With the rope longer than the character is tall, everything past a quarter turn is above the bar.
    const SwingExtent straight = straightSwing();
    const WindowSize quarter = WindowSizing::requiredSize(straight, kPi / 2, std::nullopt);
    const WindowSize circle = WindowSizing::requiredSize(straight, kPi, std::nullopt);
    EXPECT_NEAR(circle.width, quarter.width, 1.0);
    EXPECT_NEAR(circle.height, quarter.height, 1.0);
    EXPECT_EQ(WindowSizing::requiredSize(straight, kPi - 0.005, std::nullopt), circle);
    EXPECT_EQ(WindowSizing::requiredSize(straight, 50.0, std::nullopt), circle);
    EXPECT_EQ(WindowSizing::requiredSize(straight, std::nan(""), std::nullopt), circle);
}

}  // namespace
}  // namespace plimsa
