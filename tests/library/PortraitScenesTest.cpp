#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "library/PortraitScene.h"
#include "library/PortraitScenes.h"
#include "library/PortraitView.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/scene/Node.h"
#include "platform/scene/ViewProjector.h"
#include "support/FakeCharacter.h"

namespace plimsa {
namespace {

namespace fs = std::filesystem;
using testing::FakeCharacter;

FakeCharacter& fake(const PortraitScene& portrait) {
    return static_cast<FakeCharacter&>(portrait.character());
}

/// Scenes over a manual main queue: "nobody" does not resolve, names containing "bad" do not load.
struct PortraitScenesTest : ::testing::Test {
    ManualDispatch dispatch;
    int loads = 0;
    PortraitScenes scenes{dispatch,
                          {[](std::string_view name) -> std::optional<fs::path> {
                               if (name == "nobody") return std::nullopt;
                               return fs::path("/models") / name;
                           },
                           [this](const fs::path& url) -> std::unique_ptr<SwingCharacter> {
                               ++loads;
                               if (url.string().find("bad") != std::string::npos) return nullptr;
                               return std::make_unique<FakeCharacter>();
                           }}};

    void pump() {
        dispatch.runBackground();
        dispatch.runPending();
    }
    int users(const std::string& name) { return scenes.scene(name) ? scenes.scene(name)->users : -1; }
};

TEST_F(PortraitScenesTest, TwoViewsShareOneLoadAndOneDriver) {
    int attached = 0;
    auto first = std::make_unique<PortraitView>(scenes, [&] { ++attached; });
    PortraitView second(scenes, [&] { ++attached; });
    first->setName("Robo");
    second.setName("Robo");
    EXPECT_EQ(scenes.loading().size(), 1u);
    EXPECT_EQ(scenes.waiterCount("Robo"), 2u);
    pump();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(attached, 2);
    ASSERT_EQ(first->portrait(), second.portrait());
    EXPECT_EQ(users("Robo"), 2);
    EXPECT_TRUE(first->frame(1.0, std::nullopt, {100, 100}));
    EXPECT_FALSE(second.frame(1.0, std::nullopt, {100, 100}));
    EXPECT_EQ(fake(*second.portrait()).poses.size(), 2u) << "the build and one frame";

    // The driver's view goes: the other one takes over, and the scene stays for it.
    first.reset();
    dispatch.advance(10);
    EXPECT_EQ(users("Robo"), 1);
    EXPECT_TRUE(second.frame(2.0, std::nullopt, {100, 100}));
}

TEST_F(PortraitScenesTest, UnusedSceneGoesAfterTheGraceUnlessTakenAgain) {
    for (const bool again : {false, true}) {
        auto view = std::make_unique<PortraitView>(scenes);
        view->setName("Robo");
        pump();
        const auto scene = scenes.scene("Robo");
        view.reset();
        dispatch.advance(2.9);
        EXPECT_EQ(scenes.scene("Robo"), scene);
        if (again) {
            view = std::make_unique<PortraitView>(scenes);
            view->setName("Robo");
            EXPECT_EQ(view->portrait(), scene) << "at once, without a load";
        }
        dispatch.advance(0.2);
        EXPECT_EQ(scenes.scene("Robo") != nullptr, again);
        EXPECT_EQ(loads, again ? 2 : 1) << "one load per round";
    }
}

TEST_F(PortraitScenesTest, NameChangedBeforeTheLoadGivesTheOldUseBack) {
    PortraitView view(scenes);
    view.setName("Robo");
    view.setName("Ada");
    PortraitView returning(scenes);
    returning.setName("Robo");
    returning.setName("Ada");
    returning.setName("Robo");
    pump();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(view.portrait(), scenes.scene("Ada"));
    EXPECT_EQ(returning.portrait(), scenes.scene("Robo"));
    EXPECT_EQ(users("Ada"), 1);
    EXPECT_EQ(users("Robo"), 1) << "only the latest request keeps its use";
    view.setName("");
    dispatch.advance(3.1);
    EXPECT_FALSE(scenes.scene("Ada"));
    EXPECT_EQ(users("Robo"), 1);
}

TEST_F(PortraitScenesTest, FailedLoadNeverCallsReadyAndALaterAcquireTriesAgain) {
    int ready = 0;
    const auto count = [&](const std::shared_ptr<PortraitScene>&) { ++ready; };
    for (int attempt = 1; attempt <= 2; ++attempt) {
        scenes.acquire("bad", count);
        pump();
        EXPECT_EQ(loads, attempt);
        EXPECT_TRUE(scenes.loading().empty());
        EXPECT_EQ(scenes.waiterCount("bad"), 0u);
    }
    scenes.acquire("", count);
    scenes.acquire("nobody", count);
    pump();
    EXPECT_EQ(loads, 2) << "nothing to load";
    EXPECT_EQ(ready, 0);
    EXPECT_EQ(scenes.waiterCount("nobody"), 1u);
}

TEST_F(PortraitScenesTest, RemoveAllEmptiesThePoolButViewsKeepTheirScene) {
    PortraitView view(scenes);
    view.setName("Robo");
    pump();
    scenes.removeAll();
    EXPECT_FALSE(scenes.scene("Robo"));
    EXPECT_TRUE(view.frame(0.0, std::nullopt, {10, 10}));
}

TEST(PortraitSceneDrive, PosesTheStandingBreathAndLooksHalfwayToTheMouse) {
    PortraitScene portrait(
        std::make_unique<FakeCharacter>(FakeCharacter::Options{.posedHead = {{0.1f, 1.6f, 0.0f}}}));
    const auto view = std::make_shared<int>(0);
    const glm::vec2 size(120, 80);
    ASSERT_TRUE(portrait.drive(view, 2.0, std::nullopt, size));
    const CharacterPose& still = fake(portrait).poses.back();
    EXPECT_TRUE(still.standing);
    EXPECT_EQ(still.handLeft, HandMode::loose);
    EXPECT_DOUBLE_EQ(still.leg, 0.06 * std::sin(1.8));
    EXPECT_DOUBLE_EQ(still.seatLift, 0.004 * std::sin(3.4));
    EXPECT_FALSE(still.lookTarget);

    // The mouse over the head: the target is halfway between the head and the camera.
    const glm::vec3 head = portrait.character().headNode()->worldPosition();
    const glm::vec3 camera = portrait.cameraNode()->worldPosition();
    const glm::vec3 onScreen = ViewProjector(*portrait.cameraNode(), size).projectPoint(head);
    ASSERT_TRUE(portrait.drive(view, 2.0, glm::vec2(onScreen), size));
    const auto target = fake(portrait).poses.back().lookTarget;
    ASSERT_TRUE(target);
    EXPECT_LT(glm::distance(*target, (head + camera) * 0.5f), 1e-3f);
    // Another view displays without posing.
    EXPECT_FALSE(portrait.drive(std::make_shared<int>(0), 3.0, std::nullopt, size));
    EXPECT_EQ(fake(portrait).poses.size(), 3u);
}

}  // namespace
}  // namespace plimsa
