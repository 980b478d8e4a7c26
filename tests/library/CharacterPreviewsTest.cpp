#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
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
#include "platform/scene/ViewProjector.h"
#include "support/FakeCharacter.h"
#include "support/ImageMeasure.h"
#include "support/RendererRequirement.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

TEST(PortraitSceneTest, StandsTheCharacterAndAimsTheCameraAtItsPosedHead) {
    // Posing moves the head, as a standing model's does; the camera must aim at the posed head.
    auto character = std::make_unique<testing::FakeCharacter>(testing::FakeCharacterOptions{
        .head = {0.1f, 1.6f, 0.05f}, .posedHead = glm::vec3(0.1f, 2.0f, 0.05f)});
    testing::FakeCharacter& posed = *character;
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

TEST(PortraitSceneTest, ABigHeadIsFramedUpToItsCrown) {
    // A chibi's head bone sits low, its crown still at the fitted standing height.
    const PortraitScene portrait(
        std::make_unique<testing::FakeCharacter>(testing::FakeCharacterOptions{.head = {0.0f, 1.3f, 0.0f}}));
    const glm::vec2 size(320, 320);
    const glm::vec3 crown = ViewProjector(*portrait.cameraNode(), size).projectPoint({0.0f, 2.3f, 0.0f});
    const glm::vec3 neck = ViewProjector(*portrait.cameraNode(), size).projectPoint({0.0f, 1.3f, 0.0f});
    for (const glm::vec3& point : {crown, neck}) {
        EXPECT_GT(point.y, 0.05f * size.y);
        EXPECT_LT(point.y, 0.95f * size.y);
    }
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

/// Previews over a manual main queue with a stand-in renderer: "bad" does not render, "nobody" does not
/// resolve.
struct PreviewsTest : ::testing::Test {
    testing::TemporaryFolder root;
    fs::path cache = root.path() / "Previews";
    ManualDispatch dispatch;
    int renders = 0;
    std::vector<std::string> published;
    CharacterPreviews previews{dispatch,
                               {cache,
                                [](std::string_view name) {
                                    return name == "nobody" ? std::nullopt : std::optional<fs::path>(name);
                                },
                                [this](const fs::path& url) {
                                    ++renders;
                                    return url == "bad" ? std::nullopt
                                                        : std::optional<Image>(Image(2, 3, true));
                                }}};
    Connection connection =
        previews.changed.connect([this](const std::string& n) { published.push_back(n); });

    void pump() {
        dispatch.runBackground();
        dispatch.runPending();
    }
};

TEST_F(PreviewsTest, OneRenderPerNameLandsInTheMapAndTheFileAndAFailedOneLeavesNoTrace) {
    for (const char* name : {"Robo", "Robo", "bad", "", "nobody"}) EXPECT_FALSE(previews.image(name)) << name;
    EXPECT_EQ(previews.pending().size(), 2u);
    pump();
    EXPECT_EQ(renders, 2);
    EXPECT_TRUE(previews.pending().empty());
    EXPECT_EQ(published, std::vector<std::string>{"Robo"});
    EXPECT_EQ(previews.image("Robo"), previews.images().at("Robo"));
    EXPECT_EQ(Png::read((cache / "Robo@6.png").string()).value_or(Image()).height, 3);
    EXPECT_FALSE(fs::exists(cache / "bad@6.png"));
    EXPECT_FALSE(previews.image("bad"));
    EXPECT_EQ(previews.pending().size(), 1u) << "a failed render is tried again";
}

TEST_F(PreviewsTest, CachedFileIsReturnedAtOnceAndStoredOnTheNextTurn) {
    Png::write(Image(4, 4, true), previews.cacheFile("Robo")->string());
    testing::writeFile(cache / "Torn@6.png", "\x89PNG\r\n half a file");
    ASSERT_TRUE(previews.image("Robo"));
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
    // Forgotten while it renders again (the model was replaced): that result is not kept, it renders anew.
    EXPECT_FALSE(previews.image("Robo"));
    previews.forget("Robo");
    pump();
    EXPECT_EQ(renders, 2);
    EXPECT_TRUE(previews.images().empty());
    EXPECT_FALSE(fs::exists(cache / "Robo@6.png"));
    pump();
    EXPECT_EQ(renders, 3);
    EXPECT_TRUE(previews.image("Robo") && fs::exists(cache / "Robo@6.png"));
}

TEST_F(PreviewsTest, ReportsComeWithRendersOrFromALoadOfTheirOwnOnTheQueue) {
    int inspections = 0;
    previews.setInspect([&](const fs::path& url) {
        ++inspections;
        CharacterReport report;
        report.file = url.string();
        report.usable = url != "bad";
        return report;
    });
    std::vector<std::string> reported;
    const Connection reports =
        previews.reportChanged.connect([&](const std::string& n) { reported.push_back(n); });
    Png::write(Image(4, 4, true), previews.cacheFile("Cached")->string());
    previews.image("Robo");
    previews.image("bad");
    previews.image("Cached");  // from the file: no render, so no report yet
    for (const char* name : {"Robo", "bad", "Cached", "Cached", "nobody", ""})
        EXPECT_FALSE(previews.report(name));
    pump();
    EXPECT_EQ(renders, 2);
    EXPECT_EQ(inspections, 3) << "one load per name, the renders' included";
    EXPECT_EQ(reported, (std::vector<std::string>{"Robo", "bad", "Cached"}));
    EXPECT_TRUE(previews.report("Robo")->usable);
    EXPECT_FALSE(previews.report("bad")->usable) << "a refused model keeps its report";
    EXPECT_EQ(previews.report("Cached")->file, "Cached");
    previews.forget("Robo");
    EXPECT_FALSE(previews.reports().contains("Robo"));
    EXPECT_EQ(reported.back(), "Robo");
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
}

/// The main queue by hand, the previews queue on its own thread, as in the app; expects one result.
struct WorkerDispatch final : Dispatch {
    void post(std::function<void()> work) override {
        manual.post(std::move(work));
        posted.set_value();
    }
    void after(double s, std::function<void()> work) override { manual.after(s, std::move(work)); }
    std::unique_ptr<TimerHandle> every(double s, std::function<void()> w) override {
        return manual.every(s, w);
    }
    std::unique_ptr<SerialQueue> serialQueue(const std::string& label) override {
        return std::make_unique<ThreadSerialQueue>(label);
    }
    ManualDispatch manual;
    std::promise<void> posted;
};

TEST(CharacterPreviewsWorkerTest, RendersOnItsOwnThreadAndPublishesTheThumbnail) {
    std::string reason;
    PLIMSA_SKIP_WITHOUT_RENDERER(SnapshotRenderer::create(&reason), reason);
    testing::TemporaryFolder root;
    WorkerDispatch dispatch;
    const auto model = TestHumanoids::path("humanoid-mixamo-colon.glb");
    CharacterPreviews previews(dispatch, {root.path(), [&](std::string_view) { return model; }, {}});
    EXPECT_FALSE(previews.image("Humanoid"));
    ASSERT_EQ(dispatch.posted.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
    dispatch.manual.runPending();
    const auto image = previews.image("Humanoid");
    ASSERT_TRUE(image);
    EXPECT_GT(testing::opaqueBox(*image).fraction, 0.1);
    EXPECT_TRUE(Png::read((root.path() / "Humanoid@6.png").string()));
}

}  // namespace
}  // namespace plimsa
