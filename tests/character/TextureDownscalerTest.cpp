#include "character/TextureDownscaler.h"

#include "platform/scene/Texture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace plimsa {
namespace {

Image filled(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    Image image(width, height);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = r;
        image.pixels[i + 1] = g;
        image.pixels[i + 2] = b;
        image.pixels[i + 3] = a;
    }
    return image;
}

TEST(TextureDownscaler, LargeTextureIsCappedOnItsExactLongSideKeepingTheAspectAndSmallOnesAreKept) {
    const auto big = Texture::make(filled(1024, 512, 200, 120, 40, 255), "skin");
    const auto small = TextureDownscaler::downscaled(big, 256);
    ASSERT_NE(small, big);
    EXPECT_EQ(small->width(), 256);
    EXPECT_EQ(small->height(), 128);
    EXPECT_EQ(small->name(), "skin");
    const uint8_t* p = small->image().pixel(100, 70);
    EXPECT_NEAR(p[0], 200, 1);
    EXPECT_NEAR(p[1], 120, 1);
    EXPECT_NEAR(p[2], 40, 1);
    EXPECT_EQ(p[3], 255);
    // Within the cap, the same object.
    const auto texture = Texture::make(filled(1000, 800, 1, 2, 3, 255));
    EXPECT_EQ(TextureDownscaler::downscaled(texture, 1024), texture);
    const auto exact = Texture::make(filled(1024, 16, 1, 2, 3, 255));
    EXPECT_EQ(TextureDownscaler::downscaled(exact, 1024), exact);
    EXPECT_EQ(TextureDownscaler::downscaled(nullptr, 1024), nullptr);
    // Over the cap the long side comes out exact and a thin strip keeps a pixel.
    const auto odd = TextureDownscaler::downscaled(Texture::make(filled(300, 199, 0, 0, 0, 255)), 100);
    EXPECT_EQ(odd->width(), 100);
    EXPECT_EQ(odd->height(), 66);  // truncate(100 * 199 / 300)
    const auto strip = TextureDownscaler::downscaled(Texture::make(filled(1, 500, 0, 0, 0, 255)), 100);
    EXPECT_EQ(strip->width(), 1);
    EXPECT_EQ(strip->height(), 100);
}

TEST(TextureDownscaler, CutoutAlphaSurvivesWithoutDarkFringes) {
    // Left half opaque red, right half fully transparent black (a hair card's cut-out).
    Image image = filled(512, 16, 255, 0, 0, 255);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 256; x < image.width; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = p[1] = p[2] = p[3] = 0;
        }
    }
    const auto small = TextureDownscaler::downscaled(Texture::make(image), 256);
    EXPECT_EQ(small->image().pixel(20, 4)[3], 255);
    EXPECT_EQ(small->image().pixel(230, 4)[3], 0);
    EXPECT_TRUE(small->hasTransparency());
    // Where opaque and clear mix, colour comes from the opaque side only (alpha-weighted): no dark seam.
    int mixed = 0;
    for (int x = 0; x < small->width(); ++x) {
        const uint8_t* p = small->image().pixel(x, 4);
        if (p[3] == 0 || p[3] == 255) continue;
        ++mixed;
        EXPECT_GT(p[0], 240) << "alpha " << int(p[3]) << " at " << x;
    }
    EXPECT_GT(mixed, 0) << "the edge has mixed pixels";
}

}  // namespace
}  // namespace plimsa
