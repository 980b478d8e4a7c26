#include <gtest/gtest.h>

#include <thread>

#include "support/ImageMeasure.h"
#include "swing/SwingParts.h"

namespace plimsa {
namespace {

using testing::countPixels;
using testing::Rgba;

double meanChannel(const Image& image, int channel) {
    double sum = 0;
    for (size_t i = channel; i < image.pixels.size(); i += 4) sum += image.pixels[i];
    return sum / (image.pixels.size() / 4);
}

TEST(SwingTextures, WoodIsTheSameOnEveryThreadOpaqueBrownWithDarkerGrainAlongX) {
    const Image small = SwingParts::woodImage(256);
    const Image marble = SwingParts::marbleImage(256);
    Image woodElsewhere;
    Image marbleElsewhere;
    std::thread painter([&] {
        woodElsewhere = SwingParts::woodImage(256);
        marbleElsewhere = SwingParts::marbleImage(256);
    });
    const Image woodAgain = SwingParts::woodImage(256);
    painter.join();
    EXPECT_EQ(small, woodAgain);
    EXPECT_EQ(small, woodElsewhere);
    EXPECT_EQ(marble, marbleElsewhere);
    EXPECT_EQ(SwingParts::leafImage(), SwingParts::leafImage());

    const Image wood = SwingParts::woodImage(1024);  // brown and opaque with darker grain along x
    ASSERT_EQ(wood.width, 1024);
    ASSERT_EQ(wood.height, 1024);
    EXPECT_EQ(countPixels(wood, [](Rgba p) { return p.a != 255; }), 0);
    // Brown: red above green above blue, on average and not washed out by the strokes.
    const double r = meanChannel(wood, 0), g = meanChannel(wood, 1), b = meanChannel(wood, 2);
    EXPECT_GT(r, g + 20);
    EXPECT_GT(g, b + 20);
    EXPECT_NEAR(r, 0.66 * 255, 40);
    // Grain: a good share of pixels clearly darker than the base fill, in streaks along x, so rows
    // vary more than columns.
    EXPECT_GT(countPixels(wood, [](Rgba p) { return p.r < 0.66 * 255 - 25; }), 1024 * 1024 / 20);
    auto differenceAlong = [&](int dx, int dy) {
        double sum = 0;
        for (int y = 0; y + dy < wood.height; y += 3)
            for (int x = 0; x + dx < wood.width; x += 3)
                sum += std::abs(wood.pixel(x, y)[0] - wood.pixel(x + dx, y + dy)[0]);
        return sum;
    };
    EXPECT_GT(differenceAlong(0, 2), 2 * differenceAlong(2, 0));
}

TEST(SwingTextures, MarbleIsDarkWithPaleVeinsLeafGreenWithADarkerMidribAndBadSizesBlank) {
    const Image marble = SwingParts::marbleImage(1024);
    ASSERT_EQ(marble.width, 1024);
    EXPECT_LT(meanChannel(marble, 0), 60);
    const int veins = countPixels(marble, [](Rgba p) { return p.r > 100; });
    EXPECT_GT(veins, 2000);
    EXPECT_LT(veins, 1024 * 1024 / 4);
    // Grey: no colour cast.
    EXPECT_EQ(countPixels(marble, [](Rgba p) { return p.r != p.g || p.g != p.b; }), 0);

    const Image leaf = SwingParts::leafImage();  // green on transparent with a darker midrib
    ASSERT_EQ(leaf.width, 128);
    ASSERT_EQ(leaf.height, 128);
    EXPECT_EQ(leaf.pixel(0, 0)[3], 0);
    EXPECT_EQ(leaf.pixel(127, 127)[3], 0);
    EXPECT_EQ(leaf.pixel(10, 64)[3], 0);  // outside the bulge of the left curve
    const uint8_t* blade = leaf.pixel(45, 64);
    EXPECT_EQ(blade[3], 255);
    EXPECT_GT(blade[1], blade[0]);
    EXPECT_GT(blade[1], blade[2]);
    EXPECT_LT(leaf.pixel(64, 64)[1], blade[1]);  // midrib
    // Mirror symmetry about the midrib.
    for (int y = 0; y < 128; y += 7)
        for (int x = 0; x < 60; x += 5)
            ASSERT_NEAR(leaf.pixel(x, y)[3], leaf.pixel(127 - x, y)[3], 2) << x << "," << y;
    // Impossible sizes give blank images, not crashes.
    EXPECT_TRUE(SwingParts::woodImage(0).isEmpty());
    EXPECT_TRUE(SwingParts::marbleImage(-5).isEmpty());
    const Image small = SwingParts::woodImage(1);
    EXPECT_EQ(small.width, 1);
    EXPECT_EQ(small.pixel(0, 0)[3], 255);
}

}  // namespace
}  // namespace plimsa
