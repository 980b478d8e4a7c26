#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "support/TemporaryFolder.h"
#include "character/CharacterRig.h"
#include "library/CharacterPreviews.h"
#include "library/PortraitScene.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

/// Records the poses it is given; its head is 1.6 above its root.
class PosedCharacter final : public SwingCharacter {
  public:
    PosedCharacter() : root_(Node::make("Root")), head_(Node::make("Head")) {
        head_->setPosition({0.1f, 1.6f, 0.05f});
        root_->addChildNode(head_);
    }
    const std::shared_ptr<Node>& root() const override { return root_; }
    const std::shared_ptr<Node>& headNode() const override { return head_; }
    double bodyHalfWidth() const override { return 0.45; }
    std::vector<glm::vec3> shoulders() const override { return {}; }
    void apply(const CharacterPose& pose, Node& swingFrame) override {
        poses.push_back(pose);
        frames.push_back(&swingFrame);
        // Posing moves the head, as a standing model's does; the camera must aim at the posed head.
        head_->setPosition({0.1f, 2.0f, 0.05f});
    }

    std::vector<CharacterPose> poses;
    std::vector<const Node*> frames;

  private:
    std::shared_ptr<Node> root_;
    std::shared_ptr<Node> head_;
};

TEST(PortraitSceneTest, StandsTheCharacterAndAimsTheCameraAtItsPosedHead) {
    auto character = std::make_unique<PosedCharacter>();
    PosedCharacter& posed = *character;
    const PortraitScene portrait(std::move(character));

    ASSERT_EQ(posed.poses.size(), 1u);
    EXPECT_TRUE(posed.poses[0].standing);
    EXPECT_FALSE(posed.poses[0].floorSit);
    EXPECT_EQ(posed.poses[0].handLeft, HandMode::loose);
    EXPECT_EQ(posed.poses[0].handRight, HandMode::loose);
    EXPECT_EQ(posed.frames[0], &portrait.scene()->rootNode());
    EXPECT_EQ(posed.root()->parent(), &portrait.scene()->rootNode());
    EXPECT_EQ(portrait.users, 0);
    EXPECT_EQ(portrait.scene()->backgroundColor().a, 0.0f);

    const glm::vec3 head(0.1f, 2.0f, 0.05f);
    const Node& camera = *portrait.cameraNode();
    ASSERT_TRUE(camera.camera());
    EXPECT_FLOAT_EQ(camera.camera()->fieldOfView, 26.0f);
    EXPECT_FALSE(camera.camera()->usesOrthographicProjection);
    const glm::vec3 position = camera.worldPosition();
    EXPECT_NEAR(position.x, head.x + 0.6f, 1e-5);
    EXPECT_NEAR(position.y, head.y + 0.1f, 1e-5);
    EXPECT_NEAR(position.z, head.z + 3.4f, 1e-5);
    const glm::vec3 forward = glm::normalize(camera.convertVector({0, 0, -1}, nullptr));
    const glm::vec3 wanted = glm::normalize(head - glm::vec3(0, 0.06f, 0) - position);
    EXPECT_GT(glm::dot(forward, wanted), 0.99999f);
    // No roll: the camera's right axis stays level.
    EXPECT_NEAR(camera.convertVector({1, 0, 0}, nullptr).y, 0.0f, 1e-5);
}

TEST(PortraitSceneTest, LitByAmbientAndOneDirectionalLightAndTheSky) {
    const PortraitScene portrait(std::make_unique<PosedCharacter>());
    std::vector<Light> lights;
    portrait.scene()->rootNode().enumerateHierarchy([&](Node& node, bool&) {
        if (node.light()) lights.push_back(*node.light());
    });
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0].type, LightType::ambient);
    EXPECT_FLOAT_EQ(lights[0].intensity, 500.0f);
    EXPECT_EQ(lights[1].type, LightType::directional);
    EXPECT_FLOAT_EQ(lights[1].intensity, 900.0f);
    ASSERT_TRUE(portrait.scene()->lightingEnvironment());
    EXPECT_EQ(*portrait.scene()->lightingEnvironment(), SkyDescription{});
    EXPECT_FLOAT_EQ(portrait.scene()->lightingEnvironmentIntensity(), 0.4f);
}

TEST(CharacterPreviewsTest, FilesWithoutACharacterGiveNoThumbnail) {
    testing::TemporaryFolder folder;
    const auto& base = folder.path();
    std::filesystem::create_directories(base / "folder.glb");
    { std::ofstream empty(base / "empty.glb"); }
    {
        // 100 MB of noise, in both loaders' way: by extension the glTF loader, otherwise the rig loader.
        std::ofstream noise(base / "noise.glb", std::ios::binary);
        std::mt19937_64 random(5);
        std::vector<std::uint64_t> block(1 << 16);
        for (int i = 0; i < 200; ++i) {
            for (auto& word : block) word = random();
            noise.write(reinterpret_cast<const char*>(block.data()),
                        static_cast<std::streamsize>(block.size() * 8));
        }
    }
    for (const char* name : {"missing.glb", "folder.glb", "empty.glb", "noise.glb"})
        EXPECT_FALSE(CharacterPreviews::render(base / name)) << name;
    std::filesystem::rename(base / "noise.glb", base / "noise.bin");
    EXPECT_FALSE(CharacterPreviews::render(base / "noise.bin"));
    EXPECT_FALSE(CharacterPreviews::render(base / "folder.glb"));
}

TEST(CharacterPreviewsTest, ThumbnailIsTheStandingCharacterCentredOnAClearBackground) {
    const auto file = TestHumanoids::path("humanoid-mixamo-colon.glb");
    ASSERT_FALSE(file.empty());
    auto renderer = SnapshotRenderer::create();
    if (!renderer) GTEST_SKIP() << "no offscreen OpenGL context";
    const auto image = CharacterPreviews::render(file, *renderer);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 320);
    EXPECT_EQ(image->height, 320);
    EXPECT_TRUE(image->premultiplied);
    // Head and shoulders fill the middle; the corners are clear.
    int covered = 0, left = 320, right = -1, top = 320;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 320; ++x)
            if (image->pixel(x, y)[3] > 128) {
                ++covered;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
            }
    EXPECT_GT(covered, 320 * 320 / 10);
    EXPECT_EQ(image->pixel(0, 0)[3], 0);
    EXPECT_EQ(image->pixel(319, 0)[3], 0);
    EXPECT_GT(top, 20) << "the crown is inside the frame";
    EXPECT_LT(top, 160);
    EXPECT_NEAR((left + right) / 2.0, 160.0, 40.0);

    // The built-in figure renders too: the stand-in for a model that gives nothing.
    const auto figure = CharacterPreviews::render(CharacterRig::placeholder(), *renderer);
    ASSERT_TRUE(figure);
    EXPECT_EQ(figure->width, 320);
    EXPECT_FALSE(CharacterPreviews::render(std::unique_ptr<SwingCharacter>(), *renderer));
}

}  // namespace
}  // namespace plimsa
