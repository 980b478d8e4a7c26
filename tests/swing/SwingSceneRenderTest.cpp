// The swing as the overlay shows it: rendered from its own camera at the size it asks for.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>

#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/image/Compose.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Node.h"
#include "platform/scene/ViewProjector.h"
#include "support/TestHumanoids.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

struct Coverage {
    int top = -1;  // first row (from the top) with a drawn pixel
    int bottom = -1;
    int left = -1;
    int right = -1;
    double fraction = 0.0;
};

Coverage coverage(const Image& image) {
    Coverage c;
    long drawn = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (image.pixel(x, y)[3] < 128) continue;
            ++drawn;
            if (c.top < 0) c.top = y;
            c.bottom = y;
            c.left = c.left < 0 ? x : std::min(c.left, x);
            c.right = std::max(c.right, x);
        }
    c.fraction = static_cast<double>(drawn) / (static_cast<double>(image.width) * image.height);
    return c;
}

class SwingSceneRender : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("PLIMSA_NOFLOOR");
        renderer = SnapshotRenderer::create();
        if (!renderer) GTEST_SKIP() << "no headless OpenGL context";
    }

    std::shared_ptr<SwingScene> sceneWith(const SwingConfig& config) {
        SwingScene::Services services;
        services.settings = &settings;
        services.seed = 3;
        auto scene = std::make_shared<SwingScene>(services);
        scene->setConfig(config);
        scene->setCharacters(config.characters);
        scene->settingsChanged();
        return scene;
    }

    Image render(const std::shared_ptr<SwingScene>& scene, const std::string& name) {
        const WindowSize size = scene->requiredSize(std::numbers::pi);
        renderer->setDelegate(scene);
        const auto image =
            renderer->snapshot(*scene->scene(), *scene->cameraNode(), static_cast<int>(size.width),
                               static_cast<int>(size.height), 4, 1.0);
        if (!image) return {};
        // Kept beside the test for people to look at.
        Png::write(composeOverGrey(*image), (std::filesystem::current_path() / name).string());
        return *image;
    }

    MemoryDefaults defaults;
    Settings settings{defaults};
    std::unique_ptr<SnapshotRenderer> renderer;
};

TEST_F(SwingSceneRender, TheSwingHangsFromTheTopEdgeWithTheCharacterSeated) {
    const auto model = TestHumanoids::path("humanoid-65-joints.glb");
    ASSERT_FALSE(model.empty());
    SwingConfig config;
    config.characters = {model.string()};
    const auto scene = sceneWith(config);
    scene->setTheta(0.12);
    const Image image = render(scene, "swing-scene-one-seat.png");
    ASSERT_FALSE(image.isEmpty());
    const Coverage c = coverage(image);
    EXPECT_LE(c.top, 3) << "the chains start at the window's top edge";
    EXPECT_GT(c.bottom, image.height / 2) << "the seat and feet hang well below it";
    EXPECT_LT(c.bottom, image.height - 1) << "the feet are not cut off";
    EXPECT_GT(c.left, 0);
    EXPECT_LT(c.right, image.width - 1);
    EXPECT_GT(c.fraction, 0.03);
    EXPECT_LT(c.fraction, 0.5);

    // The head, as projected by the scene's own camera, is drawn on.
    const ViewProjector projector(*scene->cameraNode(), glm::vec2(image.width, image.height));
    const glm::vec3 head = projector.projectPoint(scene->characters()[0]->headNode()->worldPosition());
    const int hx = static_cast<int>(head.x);
    const int hy = image.height - 1 - static_cast<int>(head.y);
    ASSERT_TRUE(hx >= 0 && hx < image.width && hy >= 0 && hy < image.height);
    EXPECT_GT(image.pixel(hx, hy)[3], 200);
}

TEST_F(SwingSceneRender, AtItsPredictedReachTheSwingStaysInsideTheWindowItAskedFor) {
    SwingConfig config;
    config.characters = {TestHumanoids::path("humanoid-mixamo-colon.glb").string()};
    config.cruiseAmplitudeDegrees = 40;
    for (const double side : {1.0, -1.0}) {
        const auto scene = sceneWith(config);
        scene->setTheta(side * 40 * std::numbers::pi / 180);
        scene->setOmega(0.0);
        const double amplitude = scene->predictedAmplitude();
        const WindowSize size = scene->requiredSize(amplitude);
        scene->setTheta(side * amplitude);  // the far end of the predicted arc
        renderer->setDelegate(scene);
        const auto image =
            renderer->snapshot(*scene->scene(), *scene->cameraNode(), static_cast<int>(size.width),
                               static_cast<int>(size.height), 1, 1.0);
        ASSERT_TRUE(image.has_value());
        if (side > 0)
            Png::write(composeOverGrey(*image),
                       (std::filesystem::current_path() / "swing-scene-reach.png").string());
        const Coverage c = coverage(*image);
        EXPECT_LE(c.top, 3);
        EXPECT_GT(c.left, 0) << side;
        EXPECT_LT(c.right, image->width - 1) << side;
        EXPECT_LT(c.bottom, image->height - 1) << side;
    }
}

TEST_F(SwingSceneRender, ASharedRigAndAGeneratedOneSideBySide) {
    const auto kaykit = TestHumanoids::sharedModel("kaykit-mannequin-medium.glb");
    if (kaykit.empty()) GTEST_SKIP() << "shared models are not available";
    SwingConfig config;
    config.characters = {kaykit.string(), TestHumanoids::path("humanoid-mixamo-colon.glb").string()};
    config.fits = {{1.0, 0, 0}, {1.0, 0, 0}};
    config.skin = SwingSkin::gold;
    const auto scene = sceneWith(config);
    scene->setTheta(-0.1);
    const Image image = render(scene, "swing-scene-two-seats.png");
    ASSERT_FALSE(image.isEmpty());
    const Coverage c = coverage(image);
    EXPECT_LE(c.top, 3);
    EXPECT_GT(c.bottom, image.height / 2);
    EXPECT_GT(c.fraction, 0.03);
}

}  // namespace
}  // namespace plimsa
