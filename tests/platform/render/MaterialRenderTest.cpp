#include "RenderTestScene.h"

#include "platform/scene/Primitives.h"
#include "platform/render/SceneRenderer.h"
#include "platform/scene/Texture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
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

TEST_F(MaterialRenderTest, ShinySphereHasATighterBrighterHighlightThanARoughOne) {
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

TEST_F(MaterialRenderTest, TransparentSurfacesBlendBackToFrontWhateverTheSceneOrder) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> nearBlue = unlit({0, 0, 1, 1}), farRed = unlit({1, 0, 0, 1});
    nearBlue->setTransparency(0.5f);
    farRed->setTransparency(0.5f);
    s.add(Primitives::plane(2, 2), nearBlue, {0, 0, 1});  // added first, but nearer
    s.add(Primitives::plane(2, 2), farRed, {0, 0, -1});
    const Rgba c = at(render(s, 16, 16), {8, 8});
    EXPECT_GT(c.b, c.r) << "the nearer blue is composited last";
    EXPECT_NEAR(c.a, 191, 2);
}

TEST_F(MaterialRenderTest, OutputIsPremultipliedSrgb) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> veil = unlit({1, 1, 1, 1});
    veil->setTransparency(0.5f);
    s.add(Primitives::plane(4, 4), veil);
    const Rgba c = at(render(s, 16, 16, 4), {8, 8});
    // Straight white at half coverage: (128, 128, 128, 128), not sRGB of a premultiplied linear 0.5 (188).
    EXPECT_NEAR(c.a, 128, 1);
    EXPECT_NEAR(c.r, 128, 2);
    EXPECT_NEAR(c.g, 128, 2);
}

TEST_F(MaterialRenderTest, UnlitColoursAndTexturesKeepTheirSrgbValues) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    s.add(Primitives::plane(1, 2), unlit({0.5f, 0.25f, 0.75f, 1}), {-0.5f, 0, 0});
    Image grey(2, 2);
    for (uint8_t& byte : grey.pixels) byte = 100;
    for (int i = 3; i < 16; i += 4) grey.pixels[static_cast<size_t>(i)] = 255;
    std::shared_ptr<Material> textured = unlit({1, 1, 1, 1});
    textured->setDiffuseImage(Texture::make(grey));
    s.add(Primitives::plane(1, 2), textured, {0.5f, 0, 0});
    const Image image = render(s, 32, 32);
    const Rgba colour = at(image, {8, 16}), texel = at(image, {24, 16});
    EXPECT_NEAR(colour.r, 128, 1);
    EXPECT_NEAR(colour.g, 64, 1);
    EXPECT_NEAR(colour.b, 191, 1);
    EXPECT_NEAR(texel.r, 100, 1);
}

TEST_F(MaterialRenderTest, TexturedPlaneShowsItsTextureThroughTheContentsTransform) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setDiffuseImage(halvesTexture());
    s.add(Primitives::plane(2, 2), material);
    const int size = 64;
    auto colourAtEighth = [&](const Image& image, int eighth) { return at(image, {eighth * size / 8 + 4, size / 2}); };
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
}

TEST_F(MaterialRenderTest, TextureTopRowShowsAtTheTopOfAnUprightPlane) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    Image topRed(1, 2);
    topRed.pixels = {255, 0, 0, 255, 0, 0, 255, 255};  // row 0 red, row 1 blue
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setDiffuseImage(Texture::make(topRed));
    s.add(Primitives::plane(2, 2), material);
    const Image image = render(s, 32, 32);
    EXPECT_GT(at(image, {16, 4}).r, 200);
    EXPECT_GT(at(image, {16, 28}).b, 200);
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

TEST_F(MaterialRenderTest, ReplacedTextureImageIsUploadedAgain) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    std::shared_ptr<Texture> texture = halvesTexture();
    material->setDiffuseImage(texture);
    s.add(Primitives::plane(2, 2), material);
    EXPECT_GT(at(render(s, 32, 32), {4, 16}).r, 200);
    Image green(1, 1);
    green.pixels = {0, 255, 0, 255};
    texture->setImage(green);
    const Rgba c = at(render(s, 32, 32), {4, 16});
    EXPECT_EQ(c.r, 0);
    EXPECT_EQ(c.g, 255);
    EXPECT_EQ(renderer().sceneRenderer().cachedTextureCount(), 1u);
}

TEST_F(MaterialRenderTest, PremultipliedTexturesAreDrawnWithTheirStraightColour) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    Image premultiplied(1, 1, true);
    premultiplied.pixels = {64, 0, 32, 128};  // straight (128, 0, 64) at half alpha, as Cairo stores it
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setDiffuseImage(Texture::make(premultiplied));
    s.add(Primitives::plane(2, 2), material);
    const Rgba c = at(render(s, 16, 16), {8, 8});
    EXPECT_NEAR(c.a, 128, 1);
    EXPECT_NEAR(c.r, 64, 2);
    EXPECT_NEAR(c.b, 32, 2);
    EXPECT_EQ(c.g, 0);
}

TEST_F(MaterialRenderTest, CutOutTextureDropsTransparentTexelsAndDrawsTheRestOpaque) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    Image half(2, 1);
    half.pixels = {255, 255, 255, 255, 255, 255, 255, 0};  // opaque left texel, transparent right
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setDiffuseImage(Texture::make(half));
    material->setAlphaCutoff(0.5f);
    s.add(Primitives::plane(2, 2), material);
    const Image image = render(s, 32, 32);
    EXPECT_EQ(at(image, {4, 16}).a, 255);
    EXPECT_EQ(at(image, {28, 16}).a, 0);
}

TEST_F(MaterialRenderTest, MultiplyColourTintsTheResult) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> material = unlit({1, 1, 1, 1});
    material->setMultiplyColor({1.0f, 0.5f, 0.0f, 1.0f});
    s.add(Primitives::plane(2, 2), material);
    const Rgba c = at(render(s, 16, 16), {8, 8});
    EXPECT_EQ(c.r, 255);
    EXPECT_NEAR(c.g, 128, 1);
    EXPECT_EQ(c.b, 0);
}

TEST_F(MaterialRenderTest, SingleSidedSurfacesVanishFromBehindDoubleSidedOnesDoNot) {
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
