#include "RenderTestScene.h"

#include "platform/render/SceneRenderer.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Texture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace plimsa::test {
namespace {

using MaterialRenderTest = RenderTest;

float peakLuminance(const Image& image) {
    float peak = 0.0f;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) peak = std::max(peak, luminance(at(image, {x, y})));
    return peak;
}

// Left half red, right half blue, 8 x 2 texels.
std::shared_ptr<Texture> halvesTexture() {
    Image image(8, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = x < 4 ? 255 : 0, p[1] = 0, p[2] = x < 4 ? 0 : 255, p[3] = 255;
        }
    return Texture::make(image);
}

TEST_F(MaterialRenderTest, ShinySphereHasATighterHighlightAndOnlyDoubleSidedSurfacesShowFromBehind) {
    auto peakFor = [&](float roughness) {
        TestScene s({0, 0, 4});
        s.add(Primitives::sphere(1.0f), Material::make(glm::vec3(0.05f), roughness, 0.0f));
        s.addLight(LightType::directional, 1000.0f, {-0.3f, -0.3f, 0});
        return render(s, 64, 64, 1);
    };
    const Image shiny = peakFor(0.08f), rough = peakFor(0.9f);
    EXPECT_GT(peakLuminance(shiny), peakLuminance(rough) + 80.0f);
    auto bright = [](const Rgba& c) { return luminance(c) > 120.0f; };
    EXPECT_GT(countPixels(shiny, bright), 0);
    EXPECT_LT(countPixels(shiny, bright), 60) << "the shiny highlight is a small spot";
    // Single-sided surfaces vanish from behind; double-sided ones do not.
    TestScene s({0, 0, -5}, {0, 0, 0}, 1.0f);  // behind a plane that faces +Z
    std::shared_ptr<Material> material = Material::make(glm::vec3(0.8f), 0.5f, 0.0f);
    s.add(Primitives::plane(1, 1), material);
    s.addLight(LightType::directional, 1000.0f, {0, 3.14159f, 0});  // shines along +Z, onto the back
    EXPECT_EQ(at(render(s, 16, 16), {8, 8}).a, 0);
    material->setDoubleSided(true);
    const Rgba back = at(render(s, 16, 16), {8, 8});
    EXPECT_EQ(back.a, 255);
    EXPECT_GT(luminance(back), 150.0f) << "the back face is lit with its own, flipped normal";
}

TEST_F(MaterialRenderTest, TransparentSurfaceShowsWhatIsBehindIt) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    s.add(Primitives::plane(2, 2), unlit({1, 0, 0, 1}), {0, 0, -1});  // red, opaque, behind
    std::shared_ptr<Material> glass = unlit({0, 0, 1, 1});
    glass->setTransparency(0.5f);
    s.add(Primitives::plane(1, 2), glass, {0.5f, 0, 0});  // blue, half transparent, right half
    const Image image = render(s, 32, 32);
    const Rgba mixed = at(image, {24, 16}), redOnly = at(image, {8, 16});
    EXPECT_EQ(mixed.a, 255);
    EXPECT_GT(mixed.r, 100);
    EXPECT_GT(mixed.b, 100);
    EXPECT_EQ(redOnly.r, 255);
    EXPECT_EQ(redOnly.b, 0);
}

std::shared_ptr<Material> textured(Image image) {
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setDiffuseImage(Texture::make(std::move(image)));
    return material;
}

Image filled(int width, int height, std::initializer_list<uint8_t> pixels, bool premultiplied = false) {
    Image image(width, height, premultiplied);
    image.pixels.assign(pixels);
    return image;
}

::testing::AssertionResult near(const Rgba& actual, const Rgba& expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance && std::abs(actual.a - expected.a) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.r << ", " << actual.g << ", " << actual.b << ", " << actual.a << ") is not ("
           << expected.r << ", " << expected.g << ", " << expected.b << ", " << expected.a << ")";
}

TEST_F(MaterialRenderTest, UnlitPlanesKeepTheirSrgbColoursAndComeOutPremultiplied) {
    std::shared_ptr<Material> veil = unlit({1, 1, 1, 1}), tinted = unlit({1, 1, 1, 1});
    veil->setTransparency(0.5f);
    tinted->setMultiplyColor({1.0f, 0.5f, 0.0f, 1.0f});
    std::shared_ptr<Material> cutOut = textured(filled(2, 1, {255, 255, 255, 255, 255, 255, 255, 0}));
    cutOut->setAlphaCutoff(0.5f);
    const struct {
        const char* what;
        std::shared_ptr<Material> material;
        glm::ivec2 pixel;  // in a 32 x 32 image filled by the plane
        Rgba expected;
        int tolerance;
    } cases[] = {
        {"colour", unlit({0.5f, 0.25f, 0.75f, 1}), {16, 16}, {128, 64, 191, 255}, 1},
        // Straight white at half coverage, not sRGB of a premultiplied linear 0.5 (188).
        {"half transparent", veil, {16, 16}, {128, 128, 128, 128}, 2},
        {"texture", textured(filled(1, 1, {100, 100, 100, 255})), {16, 16}, {100, 100, 100, 255}, 1},
        // Straight (128, 0, 64) at half alpha, as Cairo stores it: drawn with its straight colour.
        {"premultiplied texture",
         textured(filled(1, 1, {64, 0, 32, 128}, true)),
         {16, 16},
         {64, 0, 32, 128},
         2},
        {"multiply colour", tinted, {16, 16}, {255, 128, 0, 255}, 1},
        {"cut-out, opaque texel", cutOut, {4, 16}, {255, 255, 255, 255}, 0},
        {"cut-out, transparent texel", cutOut, {28, 16}, {0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
        s.add(Primitives::plane(2, 2), c.material);
        EXPECT_TRUE(near(at(render(s, 32, 32), c.pixel), c.expected, c.tolerance)) << c.what;
    }
}

TEST_F(MaterialRenderTest, TexturedPlaneShowsItsTextureUprightThroughTheContentsTransformAndItsReplacement) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setDiffuseImage(halvesTexture());
    s.add(Primitives::plane(2, 2), material);
    const int size = 64;
    auto colourAtEighth = [&](const Image& image, int eighth) {
        return at(image, {eighth * size / 8 + 4, size / 2});
    };
    const Image plain = render(s, size, size);
    EXPECT_GT(colourAtEighth(plain, 1).r, 200);  // left half red
    EXPECT_GT(colourAtEighth(plain, 6).b, 200);  // right half blue

    material->setDiffuseContentsTransform(glm::scale(glm::mat4(1.0f), glm::vec3(2, 1, 1)));
    material->setDiffuseWrap(WrapMode::repeat, WrapMode::repeat);
    const Image tiled = render(s, size, size);
    EXPECT_GT(colourAtEighth(tiled, 0).r, 200);  // red, blue, red, blue across the plane
    EXPECT_GT(colourAtEighth(tiled, 2).b, 200);
    EXPECT_GT(colourAtEighth(tiled, 4).r, 200);
    EXPECT_GT(colourAtEighth(tiled, 6).b, 200);

    material->setDiffuseWrap(WrapMode::clamp, WrapMode::clamp);
    const Image clamped = render(s, size, size);
    EXPECT_GT(colourAtEighth(clamped, 0).r, 200);
    EXPECT_GT(colourAtEighth(clamped, 6).b, 200) << "beyond u = 1 the edge texel repeats";

    Image green(1, 1);  // a replaced image is uploaded again, into the same texture
    green.pixels = {0, 255, 0, 255};
    material->diffuse().image->setImage(green);
    const Rgba c = at(render(s, size, size), {4, size / 2});
    EXPECT_EQ(c.r, 0);
    EXPECT_EQ(c.g, 255);
    EXPECT_EQ(renderer().sceneRenderer().cachedTextureCount(), 1u);
    // The texture's top row shows at the top of an upright plane.
    TestScene upright({0, 0, 5}, {0, 0, 0}, 1.0f);
    upright.add(Primitives::plane(2, 2),
                textured(filled(1, 2, {255, 0, 0, 255, 0, 0, 255, 255})));  // red over blue
    const Image rows = render(upright, 32, 32);
    EXPECT_GT(at(rows, {16, 4}).r, 200);
    EXPECT_GT(at(rows, {16, 28}).b, 200);
}

TEST_F(MaterialRenderTest, NormalMapTiltsTheShadingNormalAlongTheTextureAxes) {
    auto litPlane = [&](std::optional<glm::vec3> mapNormal) {
        TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
        std::shared_ptr<Material> material = Material::make(glm::vec3(0.9f), 1.0f, 0.0f);
        if (mapNormal) {
            Image map(1, 1);
            const glm::vec3 encoded = (*mapNormal * 0.5f + 0.5f) * 255.0f + 0.5f;
            map.pixels = {static_cast<uint8_t>(encoded.x), static_cast<uint8_t>(encoded.y),
                          static_cast<uint8_t>(encoded.z), 255};
            MaterialProperty normal;
            normal.image = Texture::make(map);
            material->setNormal(normal);
        }
        s.add(Primitives::plane(2, 2), material);
        s.addLight(LightType::directional, 1000.0f, {0, 0.7853982f, 0});  // arrives from +X and +Z
        return luminance(at(render(s, 16, 16), {8, 8}));
    };
    const float flat = litPlane(std::nullopt);
    const float towardLight = litPlane(glm::normalize(glm::vec3(1, 0, 1)));
    const float awayFromLight = litPlane(glm::normalize(glm::vec3(-1, 0, 1)));
    EXPECT_GT(towardLight, flat + 20.0f);
    EXPECT_LT(awayFromLight, flat - 40.0f);
}

TEST_F(MaterialRenderTest, SkyLightsAndReflectsScaledByEnvironmentIntensity) {
    auto sphere = [&](float intensity, float metalness) {
        TestScene s({0, 0, 4});
        SkyDescription sky;
        sky.faceSize = 32;
        s.scene->setLightingEnvironment(sky);
        s.scene->setLightingEnvironmentIntensity(intensity);
        s.add(Primitives::sphere(1.0f), Material::make(glm::vec3(0.9f), 0.2f, metalness));
        return render(s, 48, 48);
    };
    const Image dark = sphere(0.0f, 0.0f), lit = sphere(1.0f, 0.0f), mirror = sphere(1.0f, 1.0f);
    EXPECT_LT(luminance(at(dark, {24, 24})), 5.0f);
    EXPECT_GT(luminance(at(lit, {24, 24})), 100.0f);
    EXPECT_LT(luminance(at(lit, {24, 24})), 254.0f) << "not washed out";
    const Rgba upper = at(mirror, {24, 8});
    EXPECT_GT(upper.b, upper.r) << "a metal sphere reflects the blue sky above";
}

}  // namespace
}  // namespace plimsa::test
