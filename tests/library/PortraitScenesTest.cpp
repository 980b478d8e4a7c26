#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

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

FakeCharacter& fake(const PortraitScene& scene) {
    return static_cast<FakeCharacter&>(scene.character());
}

/// Scenes over a manual main queue: "nobody" does not resolve, `broken` names do not load.
struct PortraitScenesTest : ::testing::Test {
    ManualDispatch dispatch;
    int loads = 0;
    std::set<fs::path> broken{"bad"};
    PortraitScenes scenes{
        dispatch,
        {[](std::string_view name) {
             return name == "nobody" ? std::nullopt : std::optional<fs::path>(name);
         },
         [this](const fs::path& url) {
             ++loads;
             return broken.contains(url) ? nullptr : std::unique_ptr<SwingCharacter>(new FakeCharacter());
         }}};

    void pump() {
        dispatch.runBackground();
        dispatch.runPending();
    }
    int users(const std::string& name) { return scenes.scene(name) ? scenes.scene(name)->users : -1; }
};

TEST_F(PortraitScenesTest, TwoViewsShareOneLoadAndOneDriverUntilThePoolEmpties) {
    int attached = 0;
    auto first = std::make_unique<PortraitView>(scenes);
    PortraitView second(scenes, [&] { ++attached; });
    first->setName("Robo");
    second.setName("Robo");
    pump();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(attached, 1);
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
    // The panel empties the pool; a view still showing its scene keeps it, and takes no use from the next.
    scenes.removeAll();
    EXPECT_FALSE(scenes.scene("Robo"));
    EXPECT_TRUE(second.frame(3.0, std::nullopt, {100, 100}));
    PortraitView next(scenes);
    next.setName("Robo");
    pump();
    second.setName("");
    EXPECT_EQ(users("Robo"), 1);
}

TEST_F(PortraitScenesTest, UnusedSceneGoesAfterTheGraceUnlessTakenAgain) {
    PortraitView view(scenes);
    view.setName("Robo");
    pump();
    const auto scene = scenes.scene("Robo");
    for (const double taken : {2.9, 3.1}) {
        view.setName("");
        dispatch.advance(taken);
        view.setName("Robo");
        EXPECT_EQ(view.portrait() == scene, taken < 3) << "the same scene only within the grace";
    }
    pump();
    EXPECT_EQ(loads, 2) << "loaded again after the grace";
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
}

TEST_F(PortraitScenesTest, FailedLoadNeverCallsReadyAndALaterAcquireTriesAgain) {
    int ready = 0;
    const auto count = [&](const std::shared_ptr<PortraitScene>&) { ++ready; };
    for (const std::string name : {"bad", "bad", "", "nobody"}) {
        scenes.acquire(name, count);
        pump();
    }
    EXPECT_EQ(loads, 2) << "each acquire of the failing name loads again; the others load nothing";
    EXPECT_EQ(ready, 0);
    EXPECT_TRUE(scenes.loading().empty() && scenes.waiterCount("bad") == 0);
}

TEST_F(PortraitScenesTest, ViewWhoseLoadFailedTakesNoUseFromALaterOne) {
    broken.insert("Robo");
    auto waiting = std::make_unique<PortraitView>(scenes);
    waiting->setName("Robo");
    pump();
    broken.clear();
    PortraitView later(scenes);
    later.setName("Robo");
    pump();
    waiting.reset();
    dispatch.advance(10);
    EXPECT_EQ(users("Robo"), 1);
}

TEST(PortraitSceneDrive, PosesTheStandingBreathAndLooksHalfwayToTheMouse) {
    PortraitScene portrait(std::make_unique<FakeCharacter>());
    const auto view = std::make_shared<int>(0);
    const glm::vec2 size(120, 80);
    ASSERT_TRUE(portrait.drive(view, 2.0, std::nullopt, size));
    const CharacterPose& still = fake(portrait).poses.back();
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
}

}  // namespace
}  // namespace plimsa
