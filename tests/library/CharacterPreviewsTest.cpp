#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <vector>

#include "character/CharacterRig.h"
#include "library/CharacterPreviews.h"
#include "library/PortraitScene.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/ThreadSerialQueue.h"
#include "platform/image/Png.h"
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

namespace fs = std::filesystem;

/// Previews over a manual main queue with a stand-in renderer: names containing "bad" do not render,
/// names in `unknown` do not resolve.
struct PreviewsTest : ::testing::Test {
    testing::TemporaryFolder root;
    fs::path cache = root.path() / "Previews";
    ManualDispatch dispatch;
    int renders = 0;
    std::vector<std::string> published;
    std::set<std::string> unknown{"nobody"};
    CharacterPreviews previews{dispatch,
                               {cache,
                                [this](std::string_view name) -> std::optional<fs::path> {
                                    if (unknown.contains(std::string(name))) return std::nullopt;
                                    return fs::path("/models") / name;
                                },
                                [this](const fs::path& url) -> std::optional<Image> {
                                    ++renders;
                                    if (url.string().find("bad") != std::string::npos) return std::nullopt;
                                    return Image(2, 3, true);
                                }}};
    Connection connection =
        previews.changed.connect([this](const std::string& n) { published.push_back(n); });

    void pump() {
        dispatch.runBackground();
        dispatch.runPending();
    }
};

TEST_F(PreviewsTest, TwoAsksStartOneRenderThatLandsInTheMapAndTheFile) {
    EXPECT_FALSE(previews.image("Robo"));
    EXPECT_FALSE(previews.image("Robo"));
    EXPECT_TRUE(previews.pending().contains("Robo"));
    pump();
    EXPECT_EQ(renders, 1);
    EXPECT_TRUE(previews.pending().empty());
    EXPECT_EQ(published, std::vector<std::string>{"Robo"});
    const auto image = previews.image("Robo");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height, 3);
    const auto file = Png::read((cache / "Robo@6.png").string());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->height, 3);
    EXPECT_FALSE(previews.image(""));
    EXPECT_FALSE(previews.image("nobody"));
    EXPECT_TRUE(previews.pending().empty());
}

TEST_F(PreviewsTest, CachedFileIsReturnedAtOnceAndStoredOnTheNextTurn) {
    ASSERT_EQ(Png::write(Image(4, 4, true), (previews.cacheFile("Robo")->string())),
              Png::WriteResult::written);
    testing::writeFile(cache / "Torn@6.png", "\x89PNG\r\n half a file");
    const auto image = previews.image("Robo");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 4);
    EXPECT_TRUE(previews.images().empty());
    // An unreadable file is absent: rendered again and replaced by a good one.
    EXPECT_FALSE(previews.image("Torn"));
    pump();
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(previews.images().size(), 2u);
    EXPECT_TRUE(Png::read((cache / "Torn@6.png").string()));
}

TEST_F(PreviewsTest, ForgetDropsMemoryAndFileAndEvenARenderUnderWay) {
    previews.image("Robo");
    pump();
    previews.forget("Robo");
    EXPECT_TRUE(previews.images().empty());
    EXPECT_FALSE(fs::exists(cache / "Robo@6.png"));
    EXPECT_EQ(published, (std::vector<std::string>{"Robo", "Robo"}));
    EXPECT_FALSE(previews.image("Robo"));
    // Forgotten while it renders (the model was replaced): that result is not kept, it renders again.
    previews.forget("Robo");
    dispatch.runBackground();
    dispatch.runPending();
    EXPECT_EQ(renders, 2);
    EXPECT_TRUE(previews.images().empty());
    EXPECT_EQ(previews.pending().size(), 1u);
    pump();
    EXPECT_EQ(renders, 3);
    EXPECT_TRUE(previews.image("Robo"));
    EXPECT_TRUE(fs::exists(cache / "Robo@6.png"));
}

TEST_F(PreviewsTest, FailedRenderLeavesNoTraceAndTheNextAskTriesAgain) {
    for (int attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_FALSE(previews.image("bad"));
        pump();
        EXPECT_EQ(renders, attempt);
        EXPECT_TRUE(previews.pending().empty());
        EXPECT_TRUE(previews.images().empty());
        EXPECT_TRUE(published.empty());
        EXPECT_FALSE(fs::exists(cache / "bad@6.png"));
    }
}

TEST_F(PreviewsTest, NamesThatCouldLeaveTheFolderNeverTouchAFile) {
    // A planted file where an unguarded name would read it.
    ASSERT_EQ(Png::write(Image(4, 4, true), (root.path() / "x@6.png").string()), Png::WriteResult::written);
    for (const std::string& name :
         std::vector<std::string>{"..", ".", "../x", "/abs/x", "a/b", {"x\0y", 3}}) {
        EXPECT_FALSE(previews.cacheFile(name)) << name;
        EXPECT_FALSE(previews.image(name)) << name;
        pump();
        EXPECT_TRUE(previews.image(name)) << name << " still renders into memory";
    }
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(root.path()), {}), 1) << "only the planted file";
    EXPECT_FALSE(fs::exists(root.path() / "abs"));
}

/// The main queue by hand, the previews queue on its own thread, as in the app.
class WorkerDispatch final : public Dispatch {
  public:
    void post(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        manual.post(std::move(work));
        posted_.notify_all();
    }
    void after(double seconds, std::function<void()> work) override {
        manual.after(seconds, std::move(work));
    }
    std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) override {
        return manual.every(seconds, std::move(work));
    }
    std::unique_ptr<SerialQueue> serialQueue(const std::string& label) override {
        return std::make_unique<ThreadSerialQueue>(label);
    }
    bool waitForPost(std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, limit, [this] { return manual.pendingCount() > 0; });
    }
    ManualDispatch manual;

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
};

TEST(CharacterPreviewsWorkerTest, RendersOnItsOwnThreadAndPublishesTheThumbnail) {
    std::string reason;
    PLIMSA_SKIP_WITHOUT_RENDERER(SnapshotRenderer::create(&reason), reason);
    testing::TemporaryFolder root;
    WorkerDispatch dispatch;
    const auto model = TestHumanoids::path("humanoid-mixamo-colon.glb");
    CharacterPreviews previews(dispatch, {root.path(), [&](std::string_view) { return model; }, {}});
    EXPECT_FALSE(previews.image("Humanoid"));
    ASSERT_TRUE(dispatch.waitForPost(std::chrono::seconds(60)));
    dispatch.manual.runPending();
    const auto image = previews.image("Humanoid");
    ASSERT_TRUE(image);
    EXPECT_GT(testing::opaqueBox(*image).fraction, 0.1);
    const auto file = Png::read((root.path() / "Humanoid@6.png").string());
    ASSERT_TRUE(file);
    EXPECT_GT(testing::opaqueBox(*file).fraction, 0.1);
}

}  // namespace
}  // namespace plimsa
