#include "platform/image/Compose.h"

#include <gtest/gtest.h>

namespace plimsa {
namespace {

Image onePixel(std::initializer_list<uint8_t> rgba, bool premultiplied) {
    Image image(1, 1, premultiplied);
    image.pixels.assign(rgba);
    return image;
}

TEST(Compose, OverTheGreyOfTheClampedWhiteLevelOpaqueIsKeptAndTheRestBlendsSourceOver) {
    const Image result = composeOverGrey(Image(4, 3, true));
    ASSERT_EQ(result.width, 4);
    ASSERT_EQ(result.height, 3);
    for (size_t i = 0; i < result.pixels.size(); ++i)
        EXPECT_EQ(result.pixels[i], i % 4 == 3 ? 255 : 140) << i;
    // Other white levels are clamped; empty images stay empty.
    EXPECT_EQ(composeOverGrey(Image(1, 1, true), 0.0).pixels[0], 0);
    EXPECT_EQ(composeOverGrey(Image(1, 1, true), 7.0).pixels[0], 255);
    EXPECT_TRUE(composeOverGrey(Image()).isEmpty());
    EXPECT_EQ(composeOverGrey(onePixel({10, 20, 30, 255}, true)).pixels,
              (std::vector<uint8_t>{10, 20, 30, 255}));
    // Premultiplied white at half alpha: 128 + 140 * 127 / 255.
    const Image half = composeOverGrey(onePixel({128, 128, 128, 128}, true));
    EXPECT_NEAR(half.pixels[0], 198, 1);
    EXPECT_EQ(half.pixels[3], 255);
    EXPECT_NEAR(composeOverGrey(onePixel({255, 255, 255, 128}, false)).pixels[0], half.pixels[0], 1);
    // A premultiplied colour above its alpha is taken as its alpha instead of wrapping.
    EXPECT_EQ(composeOverGrey(onePixel({255, 255, 255, 10}, true)).pixels[0], 10 + (140 * 245 + 127) / 255);
}

}  // namespace
}  // namespace plimsa
