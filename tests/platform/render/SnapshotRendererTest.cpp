#include "RenderTestScene.h"

#include "platform/render/ResourceCache.h"
#include "platform/render/SceneRenderer.h"
#include "platform/scene/MeshData.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/SceneRendererDelegate.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/Texture.h"

#include "platform/scene/Camera.h"

#include <limits>
#include <thread>

namespace plimsa::test {
namespace {

using SnapshotRendererTest = RenderTest;

constexpr auto isEmpty = [](const Rgba& c) { return c.a == 0 && c.r == 0 && c.g == 0 && c.b == 0; };
constexpr auto isPartial = [](const Rgba& c) { return c.a > 0 && c.a < 255; };
constexpr auto isCovered = [](const Rgba& c) { return c.a > 0; };

TEST_F(SnapshotRendererTest, LitBoxIsOpaqueOnAClearBackgroundLitFaceBrighterAndDrawnEvenAroundTheEye) {
    TestScene s({2.2f, 1.6f, 3.0f});
    s.add(Primitives::box(1, 1, 1, 0), Material::make(glm::vec3(0.8f), 0.6f, 0.0f));
    s.addLight(LightType::directional, 1000.0f);  // travels along -Z: lights the +Z face head on
    s.addLight(LightType::ambient, 150.0f);
    const Image image = render(s, 96, 96);
    ASSERT_EQ(image.width, 96);
    EXPECT_TRUE(image.premultiplied);
    EXPECT_TRUE(isEmpty(at(image, {0, 0})));
    EXPECT_TRUE(isEmpty(at(image, {95, 95})));
    const Rgba lit = at(image, s.pixelOf({0.0f, 0.0f, 0.5f}, 96, 96));
    const Rgba side = at(image, s.pixelOf({0.5f, 0.0f, 0.0f}, 96, 96));
    EXPECT_EQ(lit.a, 255);
    EXPECT_EQ(side.a, 255);
    EXPECT_GT(luminance(lit), luminance(side) + 60.0f);
    EXPECT_GT(luminance(side), 10.0f) << "ambient light reaches the face turned away";
    // Objects around the eye are drawn where they are partly in view.
    TestScene inside({0, 0, 0.5f}, {0, 0, -1});  // the camera sits inside the box, which is double sided
    std::shared_ptr<Material> twoSided = unlit({1, 1, 1, 1});
    twoSided->setDoubleSided(true);
    inside.add(Primitives::box(2, 2, 2, 0), twoSided);
    EXPECT_EQ(countPixels(render(inside, 16, 16), isCovered), 256);
}

TEST_F(SnapshotRendererTest, RowsComeBackTopToBottomAndMultisamplingSoftensEdgesOnly) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    s.add(Primitives::box(1, 1, 1, 0), unlit({1, 1, 1, 1}))->setEulerAngles({0, 0, 0.4f});
    const Image aliased = render(s, 64, 64, 1);
    const Image smooth = render(s, 64, 64, 4);
    EXPECT_EQ(countPixels(aliased, isPartial), 0);
    EXPECT_GT(countPixels(smooth, isPartial), 40);
    // Coverage is about the same; only the edges soften.
    EXPECT_NEAR(countPixels(smooth, isCovered), countPixels(aliased, isCovered), 200);
    // Rows come back top to bottom.
    TestScene upper({0, 0, 5}, {0, 0, 0}, 1.0f);
    upper.add(Primitives::plane(2, 1), unlit({1, 1, 1, 1}), {0, 0.5f, 0});  // fills the upper half
    const Image rows = render(upper, 32, 32);
    EXPECT_EQ(at(rows, {16, 4}).a, 255);
    EXPECT_EQ(at(rows, {16, 28}).a, 0);
}

// Sum over the image of how far each channel is from another image's.
long difference(const Image& a, const Image& b) {
    long sum = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        sum += std::abs(a.pixels[i] - b.pixels[i]);
    return sum;
}

// Whether a pixel and its eight neighbours all have the same value in `image` (no edge near it).
bool flatAround(const Image& image, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            for (int c = 0; c < 4; ++c)
                if (image.pixels[((y + dy) * image.width + x + dx) * 4 + c] !=
                    image.pixels[(y * image.width + x) * 4 + c])
                    return false;
    return true;
}

TEST_F(SnapshotRendererTest, EdgeSmoothingSoftensEdgesTowardMultisamplingAndLeavesFlatPixelsAlone) {
    struct Case {
        const char* name;
        glm::vec4 background;
        glm::vec4 box;  // a see-through box takes the converting path
    } cases[] = {{"silhouette on clear", {0, 0, 0, 0}, {1, 1, 1, 1}},
                 {"dark on clear", {0, 0, 0, 0}, {0.1f, 0.1f, 0.1f, 1}},
                 {"on an opaque background", {0.2f, 0.3f, 0.6f, 1}, {0.9f, 0.8f, 0.2f, 1}},
                 {"see-through", {0, 0, 0, 0}, {1, 0.5f, 0.2f, 0.6f}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
        s.scene->setBackgroundColor(c.background);
        s.add(Primitives::box(1, 1, 1, 0), unlit(c.box))->setEulerAngles({0, 0, 0.4f});
        s.add(Primitives::box(0.05f, 1.6f, 0.05f, 0), unlit(c.box), {-0.75f, 0, 0});  // a thin bar
        const Image aliased = render(s, 64, 64, 1);
        const Image multisampled = render(s, 64, 64, 4);
        const Image smoothed = render(s, 64, 64, Antialiasing{1, true});
        ASSERT_EQ(smoothed.width, 64);
        int changed = 0;
        for (int y = 1; y < 63; ++y) {
            for (int x = 1; x < 63; ++x) {
                const Rgba a = at(aliased, {x, y}), b = at(smoothed, {x, y});
                // Away from edges only the rounding of the extra copy may show.
                const bool near = std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 &&
                                  std::abs(a.b - b.b) <= 1 && std::abs(a.a - b.a) <= 1;
                if (flatAround(aliased, x, y)) {
                    EXPECT_TRUE(near) << x << "," << y;
                }
                changed += near ? 0 : 1;
            }
        }
        EXPECT_GT(changed, 40);
        EXPECT_LT(difference(smoothed, multisampled) * 10, difference(aliased, multisampled) * 9);
        // Premultiplied output: no channel above its alpha.
        EXPECT_EQ(countPixels(smoothed, [](const Rgba& p) { return p.r > p.a || p.g > p.a || p.b > p.a; }),
                  0);
    }
}

TEST_F(SnapshotRendererTest, ASmallObjectLeavesNothingOfTheLastFrameAroundIt) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    s.scene->setBackgroundColor({0.0f, 1.0f, 0.0f, 0.5f});
    std::shared_ptr<Node> node = s.add(Primitives::box(1.8f, 1.8f, 0.1f, 0), unlit({1, 0, 0, 1}));
    EXPECT_EQ(at(render(s, 32, 32, 4), {3, 3}).r, 255);
    node->setScale({0.1f, 0.1f, 1.0f});
    const Image small = render(s, 32, 32, 4);
    for (glm::ivec2 corner : {glm::ivec2(3, 3), glm::ivec2(28, 3), glm::ivec2(3, 28), glm::ivec2(28, 28)}) {
        const Rgba c = at(small, corner);
        EXPECT_EQ(c.r, 0) << "stale red at " << corner.x << "," << corner.y;
        EXPECT_NEAR(c.g, 128, 1);  // the half transparent green background, premultiplied
        EXPECT_NEAR(c.a, 128, 1);
    }
    EXPECT_EQ(at(small, {16, 16}).r, 255);
}

TEST_F(SnapshotRendererTest, RefusesSizesItCannotRenderCarriesOnAndNeedsNoCamera) {
    TestScene s;
    s.add(Primitives::box(1, 1, 1, 0), unlit({1, 1, 1, 1}));
    EXPECT_FALSE(renderer().snapshot(*s.scene, *s.camera, 0, 16, 1, 0.0));
    EXPECT_FALSE(renderer().snapshot(*s.scene, *s.camera, 16, -3, 1, 0.0));
    EXPECT_FALSE(renderer().snapshot(*s.scene, *s.camera, 9000, 16, 1, 0.0));
    std::optional<Image> image =
        renderer().snapshot(*s.scene, *s.camera, 16, 16, 64, 0.0);  // samples clamped
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(at(*image, {8, 8}).a, 255);
    // A point of view without a camera uses a default one.
    std::shared_ptr<Node> eye = Node::make();
    eye->setPosition({0, 0, 4});
    s.scene->rootNode().addChildNode(eye);
    image = renderer().snapshot(*s.scene, *eye, 32, 32, 1, 0.0);
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, {16, 16}).a, 255);
}

struct MovingDelegate : SceneRendererDelegate {
    std::shared_ptr<Node> node;
    double lastTime = -1.0;
    void updateAtTime(double time) override {
        lastTime = time;
        node->setPosition({static_cast<float>(time), 0, 0});
    }
};

TEST_F(SnapshotRendererTest, DelegatePosesTheSceneAtTheRequestedTimeBeforeDrawing) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 2.0f);
    auto delegate = std::make_shared<MovingDelegate>();
    delegate->node = s.add(Primitives::box(0.5f, 0.5f, 0.5f, 0), unlit({1, 1, 1, 1}));
    renderer().setDelegate(delegate);
    const Image image = render(s, 64, 64, 1, 1.0);
    EXPECT_DOUBLE_EQ(delegate->lastTime, 1.0);
    EXPECT_EQ(at(image, s.pixelOf({1.0f, 0, 0.25f}, 64, 64)).a, 255);
    EXPECT_EQ(at(image, s.pixelOf({0.0f, 0, 0.25f}, 64, 64)).a, 0);

    std::weak_ptr<MovingDelegate> gone = delegate;
    delegate.reset();
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(renderer().snapshot(*s.scene, *s.camera, 16, 16, 1, 2.0));  // a dead delegate is skipped
    renderer().setDelegate({});
}

// A vertical strip of two quads; the upper quad follows bone 1, which turns about its base at y = 0.
struct SkinnedStrip {
    std::shared_ptr<Node> root = Node::make("skin root");
    std::shared_ptr<Node> lower = Node::make("lower");
    std::shared_ptr<Node> upper = Node::make("upper");
    std::shared_ptr<Node> skinned;

    SkinnedStrip(TestScene& s) {
        MeshData mesh;
        for (float y : {-1.0f, 0.0f, 1.0f})
            for (float x : {-0.2f, 0.2f}) {
                mesh.positions.push_back({x, y, 0});
                mesh.normals.push_back({0, 0, 1});
                mesh.joints.push_back({y > 0.5f ? 1 : 0, 0, 0, 0});
                mesh.weights.push_back({1, 0, 0, 0});
            }
        mesh.elements.push_back({{0, 1, 3, 0, 3, 2, 2, 3, 5, 2, 5, 4}});
        std::shared_ptr<Geometry> geometry = Geometry::make(mesh, {unlit({1, 1, 1, 1})});
        geometry->firstMaterial()->setDoubleSided(true);
        s.scene->rootNode().addChildNode(root);
        root->addChildNode(lower);
        lower->addChildNode(upper);
        skinned = Node::make(geometry);
        skinned->setSkinner(Skinner::make({lower, upper}, {glm::mat4(1.0f), glm::mat4(1.0f)}));
        root->addChildNode(skinned);
    }
};

TEST_F(SnapshotRendererTest, SkinnedMeshDeformsWhenItsJointTurns) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.2f);
    SkinnedStrip strip(s);
    const Image rest = render(s, 64, 64);
    const glm::ivec2 top = s.pixelOf({0, 0.8f, 0}, 64, 64), side = s.pixelOf({-0.8f, 0, 0}, 64, 64);
    const glm::ivec2 bottom = s.pixelOf({0, -0.8f, 0}, 64, 64);
    EXPECT_EQ(at(rest, top).a, 255);
    EXPECT_EQ(at(rest, side).a, 0);

    strip.upper->setEulerAngles({0, 0, 1.5707963f});  // the upper quad swings over to -X
    const Image bent = render(s, 64, 64);
    EXPECT_EQ(at(bent, top).a, 0);
    EXPECT_EQ(at(bent, side).a, 255);
    EXPECT_EQ(at(bent, bottom).a, 255) << "the lower quad stays put";

    // The pose comes from the bones alone: moving the node that carries the skin changes nothing,
    // moving the skeleton moves the mesh.
    strip.skinned->setPosition({5, 0, 0});
    EXPECT_EQ(at(render(s, 64, 64), side).a, 255);
    strip.root->setPosition({5, 0, 0});
    EXPECT_EQ(countPixels(render(s, 64, 64), isCovered), 0);
}

TEST_F(SnapshotRendererTest, GpuCopiesAreSharedFreedOnceGoneOrLongUnusedAndRenewedWhenEdited) {
    TestScene s({0, 0, 5}, {0, 0, 0}, 1.0f);
    std::shared_ptr<Material> textured = unlit({1, 1, 1, 1});
    textured->setDiffuseImage(Texture::make(Image(2, 2)));
    std::shared_ptr<Node> plane = s.add(Primitives::plane(1, 1), textured);
    std::shared_ptr<Node> box = s.add(Primitives::box(1, 1, 1, 0), unlit({1, 1, 1, 1}));
    s.scene->rootNode().addChildNode(Node::make(box->geometry()));  // a twin sharing the box's geometry
    const SceneRenderer& cache = renderer().sceneRenderer();
    render(s, 4, 4);
    EXPECT_EQ(cache.cachedGeometryCount(), 2u);
    EXPECT_EQ(cache.cachedTextureCount(), 1u);

    // Gone: freed after the next frame.
    plane->removeFromParentNode();
    plane.reset();
    textured.reset();
    render(s, 4, 4);
    EXPECT_EQ(cache.cachedGeometryCount(), 1u);
    EXPECT_EQ(cache.cachedTextureCount(), 0u);

    // Alive but no longer drawn: kept for a while, in case it comes back, then freed.
    for (const auto& node : s.scene->rootNode().childNodes())
        if (node->geometry()) node->setHidden(true);
    EXPECT_EQ(countPixels(render(s, 4, 4), isCovered), 0) << "hidden nodes are not drawn";
    for (uint64_t frame = 1; frame < ResourceCache::kIdleFrames; ++frame) render(s, 1, 1);
    EXPECT_EQ(cache.cachedGeometryCount(), 1u);
    render(s, 1, 1);
    EXPECT_EQ(cache.cachedGeometryCount(), 0u);
    box->setHidden(false);
    EXPECT_EQ(at(render(s, 4, 4), {2, 2}).a, 255) << "drawn again from a fresh copy";
    EXPECT_EQ(cache.cachedGeometryCount(), 1u);
    // An edited mesh is uploaded again.
    TestScene edited({0, 0, 5}, {0, 0, 0}, 2.0f);
    std::shared_ptr<Node> moved = edited.add(Primitives::plane(1, 1), unlit({1, 1, 1, 1}));
    const glm::ivec2 right = edited.pixelOf({1.5f, 0, 0}, 64, 64);
    EXPECT_EQ(at(render(edited, 64, 64), right).a, 0);
    MeshData mesh = moved->geometry()->mesh();
    for (glm::vec3& p : mesh.positions) p.x += 1.5f;
    moved->geometry()->setMesh(mesh);
    EXPECT_EQ(at(render(edited, 64, 64), right).a, 255);
}

TEST_F(SnapshotRendererTest, DegenerateScenesRenderWithoutHarm) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    TestScene s({0, 0, 5}, {0, 0, 5});  // a camera looking at its own position
    s.scene->setLightingEnvironment(SkyDescription{"sky", true, 32, nan, inf, -1.0f, nan});
    s.scene->setLightingEnvironmentIntensity(nan);
    s.scene->setBackgroundColor({nan, 2.0f, -1.0f, 0.5f});
    s.add(Primitives::box(1, 1, 1, 0), nullptr)->setScale({0, 0, 0});
    s.add(Primitives::sphere(1), nullptr)->setPosition({nan, 0, 0});
    s.add(Primitives::plane(1, 1), nullptr)->setScale({-1, 1, 1});
    s.add(Geometry::make(MeshData{}), nullptr);
    std::shared_ptr<Node> light = s.addLight(LightType::directional, inf);
    light->setScale({0, 0, 0});
    s.addLight(LightType::ambient, nan);
    std::shared_ptr<Camera> lens = Camera::make();
    lens->fieldOfView = 0.0f;
    lens->zNear = 10.0f;
    lens->zFar = 1.0f;
    s.camera->setCamera(lens);
    for (int samples : {1, 4}) {
        std::optional<Image> image = renderer().snapshot(*s.scene, *s.camera, 24, 16, samples, nan);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->byteCount(), 24u * 16 * 4);
        for (size_t i = 0; i + 3 < image->pixels.size(); i += 4)
            for (size_t c = 0; c < 3; ++c)
                ASSERT_LE(image->pixels[i + c], image->pixels[i + 3]) << "premultiplied";
    }
}

TEST(SnapshotRendererThreads, TwoRenderersOnTwoThreadsRenderAtTheSameTime) {
    std::string error;
    std::unique_ptr<SnapshotRenderer> probe = SnapshotRenderer::create(&error);
    PLIMSA_SKIP_WITHOUT_RENDERER(probe != nullptr, error);
    probe.reset();
    int covered[2] = {0, 0};
    auto work = [&covered](int index) {
        std::unique_ptr<SnapshotRenderer> renderer = SnapshotRenderer::create();
        if (!renderer) return;
        TestScene s;
        s.add(Primitives::sphere(0.8f), Material::make(glm::vec3(0.5f), 0.5f, 0.0f));
        s.addLight(LightType::ambient, 1000.0f);
        for (int frame = 0; frame < 3; ++frame) {
            std::optional<Image> image = renderer->snapshot(*s.scene, *s.camera, 32, 32, 4, frame);
            if (image) covered[index] = countPixels(*image, isCovered);
        }
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    EXPECT_GT(covered[0], 100);
    EXPECT_EQ(covered[0], covered[1]);
}

}  // namespace
}  // namespace plimsa::test
