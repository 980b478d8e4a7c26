#include "swing/SeatSizing.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

using testing::ScopedEnvironment;

TEST(SeatSizing, OneSeatIsTheDefaultBoardAndTwoSpreadTheCharactersOnARoundedBoard) {
    const std::vector<double> one{0.45};
    EXPECT_EQ(SeatSizing::layout(1, one), (SeatLayout{1.0, {0.0}}));
    const std::vector<double> two{0.45, 0.6};
    EXPECT_EQ(SeatSizing::layout(1, two), (SeatLayout{1.0, {0.0}}));
    EXPECT_EQ(SeatSizing::layout(2, one), (SeatLayout{1.0, {0.0}})) << "second seat not loaded";

    const std::vector<double> average{0.45, 0.45};
    const SeatLayout layout = SeatSizing::layout(2, average);
    EXPECT_DOUBLE_EQ(layout.width, 2.0);
    ASSERT_EQ(layout.xs.size(), 2u);
    EXPECT_DOUBLE_EQ(layout.xs[0], -0.5);
    EXPECT_DOUBLE_EQ(layout.xs[1], 0.5);

    const std::vector<double> narrow{0.1, 0.15};
    const SeatLayout close = SeatSizing::layout(2, narrow);
    EXPECT_DOUBLE_EQ(close.xs[1] - close.xs[0], 0.7);
    EXPECT_DOUBLE_EQ(close.width, 1.1);  // 0.7 + 2 * 0.21 = 1.12, to the nearest 0.05
}

TEST(SeatSizing, MinimumSizeIsFoundByBisectionAndTheFloorRaisesOnlySmallRequestsUpToItsCap) {
    for (const double threshold : {0.51, 0.83, 1.249, 1.25, 1.6, 1.99}) {
        int trials = 0;
        const double minimum = SeatSizing::minimumSize([&](double size) {
            ++trials;
            return size >= threshold;
        });
        EXPECT_LE(trials, 11);
        EXPECT_GE(minimum, threshold + 0.015) << threshold;
        EXPECT_LE(minimum, threshold + 0.02 + 0.0075) << threshold;
    }
    int trials = 0;
    EXPECT_EQ(SeatSizing::minimumSize([&](double) { return ++trials, true; }), 0.0);
    EXPECT_EQ(trials, 1);
    EXPECT_EQ(SeatSizing::minimumSize([](double) { return false; }), 2.0);
    // The floor raises small requests but never lowers one or exceeds its cap.
    const std::vector<double> requested{1.2, 0.6, 0.6, 1.7};
    const std::vector<double> minimums{0.83, 0.83, 2.0, 2.0};
    EXPECT_EQ(SeatSizing::drawnSizes(requested, minimums, true), (std::vector<double>{1.2, 0.83, 1.5, 1.7}));
    EXPECT_EQ(SeatSizing::drawnSizes(requested, minimums, false), requested);
}

SeatLayout layoutForSizes(const std::vector<double>& sizes) {
    std::vector<double> halfWidths;
    for (const double size : sizes) halfWidths.push_back(0.45 * size);
    return SeatSizing::layout(static_cast<int>(sizes.size()), halfWidths);
}

TEST(SeatSizing, ResolveWidensTheBoardForCharactersDrawnLargerInAtMostThreeRoundsUnlessUnfloored) {
    const ScopedEnvironment floor("PLIMSA_NOFLOOR");
    std::vector<SeatLayout> asked;
    const auto resolution =
        SeatSizing::resolve({0.6, 1.3}, layoutForSizes, [&](size_t, const SeatLayout& layout) {
            asked.push_back(layout);
            return 1.2;
        });
    EXPECT_EQ(resolution.effectiveSizes, (std::vector<double>{1.2, 1.3}));
    EXPECT_EQ(resolution.minimumSizes, (std::vector<double>{1.2, 1.2}));
    EXPECT_EQ(resolution.layout, layoutForSizes({1.2, 1.3}));
    ASSERT_EQ(asked.size(), 4u);  // two rounds of two characters
    EXPECT_EQ(asked.back(), resolution.layout) << "the second round measures on the widened board";

    int calls = 0;  // a measure that never settles stops after three rounds
    const auto unsettled = SeatSizing::resolve(
        {0.6, 0.6}, layoutForSizes, [&](size_t, const SeatLayout&) { return 0.7 + 0.1 * ++calls; });
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(unsettled.layout, layoutForSizes(unsettled.effectiveSizes));
    // Without the floor the requests are kept, but the minimums are still published.
    const ScopedEnvironment noFloor("PLIMSA_NOFLOOR", "1");
    const auto lenient =
        SeatSizing::resolve({0.6}, layoutForSizes, [](size_t, const SeatLayout&) { return 0.83; });
    EXPECT_EQ(lenient.effectiveSizes, (std::vector<double>{0.6}));
    EXPECT_EQ(lenient.minimumSizes, (std::vector<double>{0.83}));
}

}  // namespace
}  // namespace plimsa
