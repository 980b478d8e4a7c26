#pragma once

#include "platform/image/Image.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Light.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/ImageMeasure.h"
#include "support/RendererRequirement.h"

#include <gtest/gtest.h>

#include <memory>

namespace plimsa::test {

/// A scene with a camera, for render tests.
struct TestScene {
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> camera;

    /// A perspective camera (or orthographic with half height `orthographicScale`) at `position` looking
    /// at `target`.
    explicit TestScene(glm::vec3 position = {0, 0, 5}, glm::vec3 target = {0, 0, 0},
                       float orthographicScale = 0.0f);

    std::shared_ptr<Node> add(std::shared_ptr<Geometry> geometry, std::shared_ptr<Material> material,
                              glm::vec3 position = glm::vec3(0.0f));
    std::shared_ptr<Node> addLight(LightType type, float intensity, glm::vec3 euler = glm::vec3(0.0f));

    /// The image pixel (column, row from the top) where a world point lands in a width x height view.
    glm::ivec2 pixelOf(glm::vec3 world, int width, int height) const;
};

/// A material drawn as is, without lighting (colours survive the pipeline unchanged).
std::shared_ptr<Material> unlit(glm::vec4 color);

/// A snapshot renderer shared by the tests of one process; without a context the tests skip, or fail where
/// a renderer is required.
class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    static void TearDownTestSuite() { renderer_.reset(); }

    Image render(const TestScene& scene, int width, int height, int samples = 1, double time = 0.0);
    Image render(const TestScene& scene, int width, int height, Antialiasing antialiasing, double time = 0.0);
    SnapshotRenderer& renderer() { return *renderer_; }

  private:
    static std::unique_ptr<SnapshotRenderer> renderer_;
};

using testing::countPixels;
using testing::luminance;
using testing::Rgba;

/// The pixel at (column, row from the top); a test failure, and a transparent black pixel, outside the image.
Rgba at(const Image& image, glm::ivec2 pixel);

}  // namespace plimsa::test
