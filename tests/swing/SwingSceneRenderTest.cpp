// The swing as the overlay shows it: rendered from its own camera at the size it asks for.

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <string>

#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Node.h"
#include "platform/scene/ViewProjector.h"
#include "support/ImageMeasure.h"
#include "support/RendererRequirement.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

using testing::opaqueBox;
using testing::PixelBox;

class SwingSceneRender : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        renderer = SnapshotRenderer::create(&error);
        PLIMSA_SKIP_WITHOUT_RENDERER(renderer != nullptr, error);
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

    /// The scene from its own camera in the window it asks for to swing `amplitude` either way.
    Image render(const std::shared_ptr<SwingScene>& scene, double amplitude, int samples) {
        const WindowSize size = scene->requiredSize(amplitude);
        renderer->setDelegate(scene);
        const auto image =
            renderer->snapshot(*scene->scene(), *scene->cameraNode(), static_cast<int>(size.width),
                               static_cast<int>(size.height), samples, 1.0);
        return image ? *image : Image{};
    }

    const testing::ScopedEnvironment floor{"PLIMSA_NOFLOOR"};
    MemoryDefaults defaults;
    Settings settings{defaults};
    std::unique_ptr<SnapshotRenderer> renderer;
};

TEST_F(SwingSceneRender, TheSwingHangsFromTheTopEdgeWithTheCharacterSeated) {
    SwingConfig config;
    config.characters = {TestHumanoids::path("humanoid-65-joints.glb").string()};
    const auto scene = sceneWith(config);
    scene->setTheta(0.12);
    const Image image = render(scene, std::numbers::pi, 4);
    ASSERT_FALSE(image.isEmpty());
    const PixelBox box = opaqueBox(image);
    EXPECT_LE(box.top, 3) << "the chains start at the window's top edge";
    EXPECT_GT(box.bottom, image.height / 2) << "the seat and feet hang well below it";
    EXPECT_LT(box.bottom, image.height - 1) << "the feet are not cut off";
    EXPECT_GT(box.left, 0);
    EXPECT_LT(box.right, image.width - 1);
    EXPECT_GT(box.fraction, 0.03);
    EXPECT_LT(box.fraction, 0.5);

    // The head, as projected by the scene's own camera, is drawn on.
    const ViewProjector projector(*scene->cameraNode(), glm::vec2(image.width, image.height));
    const glm::vec3 head = projector.projectPoint(scene->characters()[0]->headNode()->worldPosition());
    const int hx = static_cast<int>(head.x);
    const int hy = image.height - 1 - static_cast<int>(head.y);
    ASSERT_TRUE(hx >= 0 && hx < image.width && hy >= 0 && hy < image.height);
    EXPECT_GT(testing::at(image, hx, hy).a, 200);
}

TEST_F(SwingSceneRender, AtItsPredictedReachTheSwingStaysInsideTheWindowItAskedFor) {
    const std::string mixamo = TestHumanoids::path("humanoid-mixamo-colon.glb").string();
    for (const int seats : {1, 2})
        for (const double side : {1.0, -1.0}) {
            SCOPED_TRACE(std::to_string(seats) + " seats, side " + std::to_string(side));
            SwingConfig config;
            config.characters.assign(seats, mixamo);
            config.fits.assign(seats, CharacterFit{});
            config.skin = seats == 2 ? SwingSkin::gold : SwingSkin::classic;
            config.cruiseAmplitudeDegrees = 40;
            const auto scene = sceneWith(config);
            scene->setTheta(side * 40 * std::numbers::pi / 180);
            scene->setOmega(0.0);
            const double amplitude = scene->predictedAmplitude();
            scene->setTheta(side * amplitude);  // the far end of the predicted arc
            const Image image = render(scene, amplitude, 1);
            ASSERT_FALSE(image.isEmpty());
            const PixelBox box = opaqueBox(image);
            EXPECT_LE(box.top, 3);
            EXPECT_GT(box.left, 0);
            EXPECT_LT(box.right, image.width - 1);
            EXPECT_LT(box.bottom, image.height - 1);
        }
}

}  // namespace
}  // namespace plimsa
