#include "platform/image/Canvas.h"

#include <gtest/gtest.h>

namespace plimsa {
namespace {

using Color = Canvas::Color;

const Color kRed{1, 0, 0, 1};
const Color kBlue{0, 0, 1, 1};

std::vector<uint8_t> pixelAt(const Image& image, int x, int y) {
    const uint8_t* p = image.pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// A closed rectangular path from (left, top) to (right, bottom), wound clockwise on screen.
void rectangle(Canvas& canvas, double left, double top, double right, double bottom) {
    canvas.moveTo(left, top);
    canvas.lineTo(right, top);
    canvas.lineTo(right, bottom);
    canvas.lineTo(left, bottom);
    canvas.closePath();
}

TEST(Canvas, StartsTransparentConvertsToRgbaRowsTopDownWhicheverTheOriginAndFillReplaces) {
    Canvas canvas(4, 3);
    ASSERT_TRUE(canvas.isValid());
    EXPECT_EQ(canvas.toImage(), Image(4, 3, true));

    canvas.fillRect(0, 0, 4, 1, kRed);  // top row in top-left coordinates
    Image image = canvas.toImage();
    EXPECT_TRUE(image.premultiplied);
    EXPECT_EQ(pixelAt(image, 2, 0), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(image.pixel(2, 2)[3], 0);

    Canvas bottomLeft(8, 8, Canvas::Origin::bottomLeft);  // low y lands on the bottom rows
    bottomLeft.fillRect(0, 0, 2, 2, kBlue);
    image = bottomLeft.toImage();
    EXPECT_EQ(image.pixel(0, 7)[2], 255);
    EXPECT_EQ(image.pixel(1, 6)[3], 255);
    EXPECT_EQ(image.pixel(0, 0)[3], 0);
    EXPECT_EQ(image.pixel(0, 5)[3], 0);
    // A fill replaces what is there with the colour stored premultiplied.
    Canvas filled(2, 2);
    filled.fill(kRed);
    filled.fill({1, 1, 1, 0.5});
    const std::vector<uint8_t> half = pixelAt(filled.toImage(), 1, 1);
    for (size_t c = 0; c < 4; ++c) EXPECT_NEAR(half[c], 128, 1) << c;
    filled.fill({0, 0, 0, 0});
    EXPECT_EQ(filled.toImage(), Image(2, 2, true));
}

TEST(Canvas, CurvesFillClosedShapesByEitherRuleStrokesCoverTheirWidthAndGradientsRunAlong) {
    // A lens from (10, 2) to (10, 18) bulging both ways: its middle is covered, its corners are not.
    Canvas canvas(20, 20);
    canvas.moveTo(10, 2);
    canvas.quadTo(19, 10, 10, 18);
    canvas.quadTo(1, 10, 10, 2);
    canvas.fillPath(kRed);
    Image lens = canvas.toImage();
    EXPECT_EQ(lens.pixel(10, 10)[3], 255);
    EXPECT_EQ(lens.pixel(1, 1)[3], 0);
    EXPECT_EQ(lens.pixel(18, 18)[3], 0);

    // Two nested squares wound the same way: even-odd leaves a hole, non-zero does not.
    auto squares = [](Canvas& c) {
        for (double inset : {2.0, 6.0}) rectangle(c, inset, inset, 20 - inset, 20 - inset);
    };
    Canvas nonZero(20, 20);
    squares(nonZero);
    nonZero.fillPath(kRed, Canvas::FillRule::nonZero);
    Canvas evenOdd(20, 20);
    squares(evenOdd);
    evenOdd.fillPath(kRed, Canvas::FillRule::evenOdd);
    EXPECT_EQ(nonZero.toImage().pixel(10, 10)[3], 255);
    EXPECT_EQ(evenOdd.toImage().pixel(10, 10)[3], 0);
    EXPECT_EQ(evenOdd.toImage().pixel(4, 10)[3], 255);
    // A stroke covers its width only; gradients run from the first to the last stop.
    Canvas line(20, 20);
    line.moveTo(0, 10);
    line.lineTo(20, 10);
    line.strokePath(kBlue, 4);
    Image stroked = line.toImage();
    EXPECT_EQ(stroked.pixel(5, 9)[3], 255);
    EXPECT_EQ(stroked.pixel(5, 11)[3], 255);
    EXPECT_EQ(stroked.pixel(5, 6)[3], 0);
    EXPECT_EQ(stroked.pixel(5, 14)[3], 0);
    // Gradients run from the first to the last stop.
    const std::vector<Canvas::GradientStop> stops{{0, kRed}, {1, kBlue}};
    Canvas linear(64, 4);
    rectangle(linear, 0, 0, 64, 4);
    linear.fillPathLinear(0, 0, 64, 0, stops);
    Image strip = linear.toImage();
    EXPECT_GT(strip.pixel(1, 2)[0], 240);
    EXPECT_LT(strip.pixel(1, 2)[2], 15);
    EXPECT_GT(strip.pixel(62, 2)[2], 240);
    EXPECT_NEAR(strip.pixel(32, 2)[0], strip.pixel(32, 2)[2], 8);

    Canvas radial(32, 32);
    rectangle(radial, 0, 0, 32, 32);
    radial.fillPathRadial(16, 16, 16, stops);
    Image disc = radial.toImage();
    EXPECT_GT(disc.pixel(16, 16)[0], 240);
    EXPECT_GT(disc.pixel(0, 0)[2], 240);
}

TEST(Canvas, ImpossibleSizesGiveABlankImageAndIgnoreDrawing) {
    for (auto [w, h] : {std::pair{0, 10}, {10, -3}, {Canvas::kMaxSide + 1, 4}}) {
        Canvas canvas(w, h);
        EXPECT_FALSE(canvas.isValid());
        canvas.fill(kRed);
        canvas.moveTo(0, 0);
        canvas.quadTo(1, 1, 2, 2);
        canvas.strokePath(kRed, 2);
        Image image = canvas.toImage();
        EXPECT_EQ(image.width, std::clamp(w, 0, Canvas::kMaxSide));
        EXPECT_EQ(image.height, std::clamp(h, 0, Canvas::kMaxSide));
        for (uint8_t byte : image.pixels) ASSERT_EQ(byte, 0);
    }
}

}  // namespace
}  // namespace plimsa
