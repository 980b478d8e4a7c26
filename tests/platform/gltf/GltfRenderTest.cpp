// A skinned humanoid loaded from glTF, posed through its joint nodes and drawn by the scene renderer.
#include "platform/gltf/GltfLoader.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/ViewProjector.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

namespace plimsa {
namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 440;

class GltfRender : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        renderer_ = SnapshotRenderer::create(&error);
        if (!renderer_) GTEST_SKIP() << "no headless OpenGL: " << error;
        const GltfLoadResult result = GltfLoader().loadFile(TestHumanoids::path("humanoid-mixamo-colon.glb"));
        ASSERT_TRUE(result) << result.error;
        scene_ = result.scene;
        scene_->setLightingEnvironment(SkyDescription{});
        scene_->setLightingEnvironmentIntensity(0.6f);
        auto sun = Node::make("Sun");
        sun->setLight(Light::make(LightType::directional, 900.0f));
        sun->setEulerAngles({-0.6f, 0.4f, 0.0f});
        scene_->rootNode().addChildNode(sun);
        auto ambient = Node::make("Ambient");
        ambient->setLight(Light::make(LightType::ambient, 250.0f));
        scene_->rootNode().addChildNode(ambient);
        camera_ = Node::make("Camera");
        auto lens = Camera::make();
        lens->fieldOfView = 34.0f;
        lens->zNear = 0.1f;
        camera_->setCamera(lens);
        camera_->setPosition({0.0f, 1.0f, 4.2f});
        camera_->lookAt({0.0f, 0.92f, 0.0f});
        scene_->rootNode().addChildNode(camera_);
    }

    std::shared_ptr<Node> bone(const std::string& name) const {
        return scene_->rootNode().childNodeWithName("mixamorig:" + name);
    }
    void turn(const std::string& name, float degrees, glm::vec3 axis) const {
        const auto node = bone(name);
        node->setOrientation(node->orientation() * glm::angleAxis(glm::radians(degrees), axis));
    }
    Image render() const { return *renderer_->snapshot(*scene_, *camera_, kWidth, kHeight, 4, 0.0); }
    int alphaAt(const Image& image, const glm::vec3& world) const {
        const glm::vec3 view = ViewProjector(*camera_, {kWidth, kHeight}).projectPoint(world);
        const int x = static_cast<int>(view.x);
        const int y = kHeight - 1 - static_cast<int>(view.y);
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return -1;
        return image.pixel(x, y)[3];
    }

    std::unique_ptr<SnapshotRenderer> renderer_;
    std::shared_ptr<Scene> scene_;
    std::shared_ptr<Node> camera_;
};

TEST_F(GltfRender, RotatedJointsBendTheSkinnedBodyWhereTheBonesGo) {
    const Image rest = render();
    const glm::vec3 restHand = bone("LeftHand")->worldPosition();
    const glm::vec3 restAnkle = bone("LeftFoot")->worldPosition();
    EXPECT_EQ(alphaAt(rest, restHand), 255);

    // Seated: thighs forward, knees bent; left forearm up, right arm down, head turned, spine leaning.
    // Seen from three quarters so that the bent legs show.
    for (const char* side : {"Left", "Right"}) {
        turn(std::string(side) + "UpLeg", -80.0f, {1, 0, 0});
        turn(std::string(side) + "Leg", 85.0f, {1, 0, 0});
    }
    turn("LeftForeArm", 90.0f, {0, 0, 1});
    turn("RightArm", 70.0f, {0, 0, 1});
    turn("Head", 30.0f, {0, 1, 0});
    turn("Spine1", 8.0f, {0, 0, 1});
    camera_->setPosition({2.3f, 1.4f, 3.4f});
    camera_->lookAt({0.0f, 0.95f, 0.1f});
    const Image posed = render();
    Png::write(posed, "gltf-humanoid-posed.png");
    Png::write(rest, "gltf-humanoid-rest.png");

    // The raised forearm is drawn where its bones now are, and no longer where the hand was.
    const glm::vec3 elbow = bone("LeftForeArm")->worldPosition();
    const glm::vec3 hand = bone("LeftHand")->worldPosition();
    EXPECT_GT(hand.y, elbow.y + 0.2f);
    EXPECT_EQ(alphaAt(posed, hand), 255);
    EXPECT_EQ(alphaAt(posed, (elbow + hand) * 0.5f), 255);
    EXPECT_EQ(alphaAt(posed, elbow), 255) << "the skin stays closed around the bent elbow";
    EXPECT_EQ(alphaAt(posed, restHand), 0);
    // The lowered right arm hangs beside the body; the seated leg carries its shin forward of the hips.
    EXPECT_EQ(alphaAt(posed, bone("RightHand")->worldPosition()), 255);
    EXPECT_EQ(alphaAt(posed, bone("RightForeArm")->worldPosition()), 255);
    const glm::vec3 knee = bone("LeftLeg")->worldPosition();
    const glm::vec3 ankle = bone("LeftFoot")->worldPosition();
    EXPECT_GT(knee.z, 0.35f);
    EXPECT_GT(glm::length(ankle - restAnkle), 0.4f);
    EXPECT_EQ(alphaAt(posed, knee), 255);
    EXPECT_EQ(alphaAt(posed, (knee + ankle) * 0.5f), 255);
}

}  // namespace
}  // namespace plimsa
