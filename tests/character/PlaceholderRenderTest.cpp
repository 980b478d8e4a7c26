#include <gtest/gtest.h>

#include "character/CharacterRig.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/ImageMeasure.h"
#include "support/RendererRequirement.h"

namespace plimsa {
namespace {

using testing::opaqueBox;

bool covered(const Image& image, int x, int y) {
    return image.pixel(x, y)[3] >= 128;
}

// Share of covered pixels whose mirror image across the vertical centre line is not covered.
double asymmetry(const Image& image) {
    int coveredCount = 0, unmatched = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (covered(image, x, y)) {
                ++coveredCount;
                if (!covered(image, image.width - 1 - x, y)) ++unmatched;
            }
    return coveredCount == 0 ? 1.0 : double(unmatched) / coveredCount;
}

void addLight(Scene& scene, LightType type, float intensity, const glm::vec3& euler) {
    auto node = Node::make();
    node->setLight(Light::make(type, intensity));
    node->setEulerAngles(euler);
    scene.rootNode().addChildNode(node);
}

// Front view, orthographic, 200 pixels per unit: the outline the boxes describe, seated with hands on
// chains at +-0.42. Hands reach x = +-0.494 (0.42 plus the tilted rounded hand box), the head cap tops
// out at y = 1.12, the tilted feet bottom out at y = -0.456.
TEST(PlaceholderRender, SeatedFigureFillsTheOutlineItsBoxesDescribe) {
    std::string error;
    const auto renderer = SnapshotRenderer::create(&error);
    PLIMSA_SKIP_WITHOUT_RENDERER(renderer != nullptr, error);
    const auto scene = Scene::make();
    scene->setLightingEnvironment(SkyDescription{});
    scene->setLightingEnvironmentIntensity(0.4f);
    addLight(*scene, LightType::ambient, 440, {0, 0, 0});
    addLight(*scene, LightType::directional, 775, {-0.75f, 0.55f, 0});
    addLight(*scene, LightType::directional, 325, {-0.3f, -0.9f, 0});
    const auto swingFrame = Node::make("swing");
    scene->rootNode().addChildNode(swingFrame);
    const auto rig = CharacterRig::placeholder();
    swingFrame->addChildNode(rig->root());
    rig->apply(CharacterPose{}, *swingFrame);
    const auto camera = Node::make("camera");
    camera->setCamera(Camera::make());
    camera->camera()->usesOrthographicProjection = true;
    camera->camera()->orthographicScale = 1.0f;
    camera->setPosition({0, 0.33f, 5});
    scene->rootNode().addChildNode(camera);
    const auto image = renderer->snapshot(*scene, *camera, 400, 400, 4, 0.0);
    ASSERT_TRUE(image);

    const auto toColumn = [](float x) { return (x + 1.0f) * 200.0f; };
    const auto toRow = [](float y) { return (1.33f - y) * 200.0f; };
    const testing::PixelBox box = opaqueBox(*image);
    EXPECT_NEAR(box.left, toColumn(-0.494f), 3.0);
    EXPECT_NEAR(box.right + 1, toColumn(0.494f), 3.0);
    EXPECT_NEAR(box.top, toRow(1.12f), 3.0);
    EXPECT_NEAR(box.bottom + 1, toRow(-0.456f), 3.0);
    EXPECT_LT(asymmetry(*image), 0.01);

    // The body is the dark grey it is made of, lit but not washed out.
    const testing::Rgba chest = testing::at(*image, 200, static_cast<int>(toRow(0.3f)));
    EXPECT_EQ(chest.a, 255);
    EXPECT_GT(chest.r, 25) << "lit, not black";
    EXPECT_LT(chest.r, 140);
    EXPECT_NEAR(chest.r, chest.b, 12);  // grey, not tinted
}

}  // namespace
}  // namespace plimsa
