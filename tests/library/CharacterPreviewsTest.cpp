#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "character/CharacterRig.h"
#include "library/CharacterPreviews.h"
#include "library/PortraitScene.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/ImageMeasure.h"
#include "support/RendererRequirement.h"
#include "support/TemporaryFolder.h"
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

    // The camera looks at the posed head from in front (+z), within a few degrees.
    const glm::vec3 head(0.1f, 2.0f, 0.05f);
    const Node& camera = *portrait.cameraNode();
    ASSERT_TRUE(camera.camera());
    const glm::vec3 position = camera.worldPosition();
    EXPECT_GT(position.z, head.z + 1.0f);
    const glm::vec3 forward = glm::normalize(camera.convertVector({0, 0, -1}, nullptr));
    EXPECT_GT(glm::dot(forward, glm::normalize(head - position)), 0.999f);
    // No roll: the camera's right axis stays level.
    EXPECT_NEAR(camera.convertVector({1, 0, 0}, nullptr).y, 0.0f, 1e-5);
}

TEST(CharacterPreviewsTest, FilesWithoutACharacterGiveNoThumbnail) {
    testing::TemporaryFolder folder;
    const auto& base = folder.path();
    std::filesystem::create_directories(base / "folder.glb");
    { std::ofstream empty(base / "empty.glb"); }
    {
        // A megabyte of noise, in both loaders' way: by extension the glTF loader, otherwise the rig loader.
        std::ofstream noise(base / "noise.glb", std::ios::binary);
        std::mt19937_64 random(5);
        std::vector<std::uint64_t> block(1 << 17);
        for (auto& word : block) word = random();
        noise.write(reinterpret_cast<const char*>(block.data()),
                    static_cast<std::streamsize>(block.size() * 8));
    }
    for (const char* name : {"missing.glb", "folder.glb", "empty.glb", "noise.glb"})
        EXPECT_FALSE(CharacterPreviews::render(base / name)) << name;
    std::filesystem::rename(base / "noise.glb", base / "noise.bin");
    EXPECT_FALSE(CharacterPreviews::render(base / "noise.bin"));
}

TEST(CharacterPreviewsTest, ThumbnailIsTheStandingCharacterCentredOnAClearBackground) {
    const auto file = TestHumanoids::path("humanoid-mixamo-colon.glb");
    ASSERT_FALSE(file.empty());
    std::string reason;
    auto renderer = SnapshotRenderer::create(&reason);
    PLIMSA_SKIP_WITHOUT_RENDERER(renderer, reason);
    const auto image = CharacterPreviews::render(file, *renderer);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 320);
    EXPECT_EQ(image->height, 320);
    EXPECT_TRUE(image->premultiplied);
    // Head and shoulders fill the middle, lit; the corners are clear.
    const auto box = testing::opaqueBox(*image);
    EXPECT_GT(box.fraction, 0.1);
    EXPECT_EQ(image->pixel(0, 0)[3], 0);
    EXPECT_EQ(image->pixel(319, 0)[3], 0);
    EXPECT_GT(box.top, 20) << "the crown is inside the frame";
    EXPECT_LT(box.top, 160);
    EXPECT_NEAR((box.left + box.right) / 2.0, 160.0, 40.0);
    const int opaque = testing::countPixels(*image, [](const testing::Rgba& c) { return c.a == 255; });
    const int lit = testing::countPixels(
        *image, [](const testing::Rgba& c) { return c.a == 255 && testing::luminance(c) > 60.0f; });
    EXPECT_GT(lit, opaque / 2) << lit << " of " << opaque;

    // The built-in figure renders too: the stand-in for a model that gives nothing.
    const auto figure = CharacterPreviews::render(CharacterRig::placeholder(), *renderer);
    ASSERT_TRUE(figure);
    EXPECT_EQ(figure->width, 320);
    EXPECT_FALSE(CharacterPreviews::render(std::unique_ptr<SwingCharacter>(), *renderer));
}

}  // namespace
}  // namespace plimsa
