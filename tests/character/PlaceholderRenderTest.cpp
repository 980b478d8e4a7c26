#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "character/CharacterRig.h"
#include "platform/image/Compose.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Light.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Scene.h"

namespace plimsa {
namespace {

struct PixelBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

bool covered(const Image& image, int x, int y) {
    return image.pixel(x, y)[3] >= 128;
}

PixelBox coverage(const Image& image) {
    PixelBox box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (covered(image, x, y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
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

class PlaceholderRender : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        renderer = SnapshotRenderer::create(&error);
        if (!renderer) GTEST_SKIP() << "no headless OpenGL: " << error;
        scene->setLightingEnvironment(SkyDescription{});
        scene->setLightingEnvironmentIntensity(0.4f);
        addLight(*scene, LightType::ambient, 440, {0, 0, 0});
        addLight(*scene, LightType::directional, 775, {-0.75f, 0.55f, 0});
        addLight(*scene, LightType::directional, 325, {-0.3f, -0.9f, 0});
        scene->rootNode().addChildNode(swingFrame);
        swingFrame->addChildNode(rig->root());
        camera->setCamera(Camera::make());
        scene->rootNode().addChildNode(camera);
    }

    Image render(int width, int height) {
        const auto image = renderer->snapshot(*scene, *camera, width, height, 4, 0.0);
        if (!image) throw std::runtime_error("snapshot failed");
        return *image;
    }

    void keep(const Image& image, const char* name) {
        const auto path = std::filesystem::current_path() / name;
        EXPECT_EQ(Png::write(composeOverGrey(image), path.string()), Png::WriteResult::written);
    }

    void addSwing() {
        const auto wood = Material::make(glm::vec3(0.55f, 0.38f, 0.22f), 0.8f, 0.0f);
        auto board = Primitives::box(1.3f, 0.08f, 0.42f, 0.02f);
        board->setMaterials({wood});
        auto boardNode = Node::make(board);
        boardNode->setPosition({0, -0.05f, 0.05f});
        swingFrame->addChildNode(boardNode);
        const auto steel = Material::make(glm::vec3(0.7f), 0.35f, 1.0f);
        for (float x : {-0.42f, 0.42f}) {
            auto chain = Primitives::cylinder(0.015f, 2.4f);
            chain->setMaterials({steel});
            auto chainNode = Node::make(chain, "chain");
            chainNode->setPosition({x, 1.15f, 0});
            swingFrame->addChildNode(chainNode);
        }
    }

    std::unique_ptr<SnapshotRenderer> renderer;
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> swingFrame = Node::make("swing");
    std::shared_ptr<Node> camera = Node::make("camera");
    std::unique_ptr<CharacterRig> rig = CharacterRig::placeholder();
};

// Front view, orthographic, 200 pixels per unit: the outline the boxes describe, seated with hands on
// chains at +-0.42. Hands reach x = +-0.494 (0.42 plus the tilted rounded hand box), the head cap tops
// out at y = 1.12, the tilted feet bottom out at y = -0.456.
TEST_F(PlaceholderRender, SeatedFigureFillsTheOutlineItsBoxesDescribe) {
    camera->camera()->usesOrthographicProjection = true;
    camera->camera()->orthographicScale = 1.0f;
    camera->setPosition({0, 0.33f, 5});
    rig->apply(CharacterPose{}, *swingFrame);
    const Image image = render(400, 400);
    keep(image, "placeholder_front.png");

    const auto toColumn = [](float x) { return (x + 1.0f) * 200.0f; };
    const auto toRow = [](float y) { return (1.33f - y) * 200.0f; };
    const PixelBox box = coverage(image);
    EXPECT_NEAR(box.left, toColumn(-0.494f), 3.0);
    EXPECT_NEAR(box.right + 1, toColumn(0.494f), 3.0);
    EXPECT_NEAR(box.top, toRow(1.12f), 3.0);
    EXPECT_NEAR(box.bottom + 1, toRow(-0.456f), 3.0);
    EXPECT_LT(asymmetry(image), 0.01);

    // The body is the dark grey it is made of, lit but not washed out.
    const uint8_t* chest = image.pixel(200, static_cast<int>(toRow(0.3f)));
    EXPECT_EQ(chest[3], 255);
    EXPECT_LT(chest[0], 140);
    EXPECT_NEAR(chest[0], chest[2], 12);  // grey, not tinted
}

TEST_F(PlaceholderRender, SeatedOnASwingForPeopleToLookAt) {
    addSwing();
    camera->camera()->fieldOfView = 30.0f;
    camera->camera()->zNear = 0.1f;
    camera->setPosition({0, 0.9f, 5.2f});
    camera->lookAt({0, 0.45f, 0});
    rig->apply(CharacterPose{}, *swingFrame);
    const Image still = render(420, 560);
    keep(still, "placeholder_seated.png");
    EXPECT_LT(asymmetry(still), 0.02);

    CharacterPose kick;
    kick.leg = 1;
    kick.headYaw = 0.5;
    kick.headPitch = -0.15;
    kick.blink = 0.1;
    rig->apply(kick, *swingFrame);
    const Image kicking = render(420, 560);
    keep(kicking, "placeholder_kick.png");
    EXPECT_GT(asymmetry(kicking), asymmetry(still));  // the head turned
}

}  // namespace
}  // namespace plimsa
