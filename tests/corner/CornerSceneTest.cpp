#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "character/SkinnedCharacter.h"
#include "corner/CornerScene.h"
#include "corner/DrawnBox.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/ViewProjector.h"
#include "support/FakeCharacter.h"
#include "support/Near.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

using testing::FakeCharacter;
using testing::ScopedEnvironment;

/// A corner scene whose library knows the names "known", "broken" (which loads nothing) and "throws"
/// (whose loader throws); every character is a FakeCharacter tagged with its file or "placeholder".
class CornerSceneTest : public ::testing::Test {
  protected:
    std::shared_ptr<CornerScene> makeScene() {
        CornerScene::Services services;
        services.resolve = [](std::string_view name) -> std::optional<std::filesystem::path> {
            if (name == "known" || name == "broken" || name == "throws") return std::filesystem::path(name);
            return std::nullopt;
        };
        services.load = [this](const std::filesystem::path& file) -> std::unique_ptr<SwingCharacter> {
            ++loads;
            if (file == "throws") throw std::runtime_error("unreadable");
            if (file == "broken") return nullptr;
            return std::make_unique<FakeCharacter>(FakeCharacter::Options{.tag = file.string()});
        };
        services.placeholder = [] {
            return std::make_unique<FakeCharacter>(FakeCharacter::Options{.tag = "placeholder"});
        };
        services.seed = 7;
        return std::make_shared<CornerScene>(services);
    }

    static FakeCharacter& recorded(CornerScene& scene) {
        return dynamic_cast<FakeCharacter&>(scene.character());
    }

    static CornerConfig config(std::string character, CornerSide side, HeadMode head = HeadMode::cursor) {
        CornerConfig config;
        config.character = std::move(character);
        config.side = side;
        config.headMode = head;
        return config;
    }

    int loads = 0;

  private:
    ScopedEnvironment width_{"PLIMSA_CORNER_W"};
    ScopedEnvironment height_{"PLIMSA_CORNER_H"};
    ScopedEnvironment floor_{"PLIMSA_CORNER_Y"};
};

/// The direction the character faces (its +Z) in world space.
glm::vec3 facing(const SwingCharacter& character) {
    return character.root()->convertVector({0, 0, 1}, nullptr);
}

/// Where world point `point` shows in the scene's view, in points from the bottom left at 120 per unit.
glm::vec3 inView(const CornerScene& scene, const glm::vec3& point) {
    const glm::vec2 size(120.0 * CornerScene::widthUnits(), 120.0 * CornerScene::heightUnits());
    return ViewProjector(*scene.cameraNode(), size).projectPoint(point);
}

TEST_F(CornerSceneTest, TheViewRunsFromTheFloorUpAndTheFigureWaitsForTheFirstApply) {
    auto scene = makeScene();
    EXPECT_NEAR(inView(*scene, glm::vec3(0.0f)).y, 0.0f, 0.01f);
    EXPECT_NEAR(inView(*scene, {1.35f, 2.0f, 0.0f}).y, 240.0f, 0.01f);
    EXPECT_NEAR(inView(*scene, {1.35f, 2.0f, 0.0f}).x, 324.0f, 0.01f);
    EXPECT_EQ(scene->frame()->parent(), &scene->scene()->rootNode());
    EXPECT_EQ(scene->character().root()->parent(), nullptr);
    EXPECT_FALSE(scene->loadedName().has_value());
}

TEST_F(CornerSceneTest, RootsSitInFromTheSideEdgeFacingIntoTheScreen) {
    auto scene = makeScene();
    for (const float x : {-0.99f, 0.99f}) {
        scene->apply(config("known", x < 0 ? CornerSide::left : CornerSide::right));
        const Node& root = *scene->character().root();
        EXPECT_TRUE(testing::near(root.position(), {x, 0.03f, 0.0f}, 1e-6f));
        EXPECT_TRUE(testing::near(facing(scene->character()), {x < 0 ? 1.0f : -1.0f, 0.0f, 0.0f}, 1e-6f));
        EXPECT_EQ(root.parent(), scene->frame().get());
    }
    EXPECT_EQ(loads, 1);
}

TEST_F(CornerSceneTest, EnvironmentOverridesApplyOnlyWhenTheWholeTextIsANumber) {
    {
        ScopedEnvironment width("PLIMSA_CORNER_W", "3");
        ScopedEnvironment floor("PLIMSA_CORNER_Y", "0.1");
        auto scene = makeScene();
        scene->apply(config("known", CornerSide::left));
        EXPECT_NEAR(scene->character().root()->position().x, -1.14f, 1e-6);
        EXPECT_NEAR(scene->character().root()->position().y, 0.1f, 1e-6);
        scene->apply(config("known", CornerSide::right));
        EXPECT_NEAR(scene->character().root()->position().x, 1.14f, 1e-6);
    }
    for (const char* text : {"abc", " 3", "3 ", "3x", "", "nan", "inf", "+-1"}) {
        ScopedEnvironment width("PLIMSA_CORNER_W", text);
        auto scene = makeScene();
        scene->apply(config("known", CornerSide::right));
        EXPECT_NEAR(scene->character().root()->position().x, 0.99f, 1e-6) << '"' << text << '"';
    }
    ScopedEnvironment height("PLIMSA_CORNER_H", "+3.5");
    auto tall = makeScene();
    EXPECT_NEAR(inView(*tall, glm::vec3(0.0f)).y, 0.0f, 0.01f);
    EXPECT_NEAR(inView(*tall, {0.0f, 3.5f, 0.0f}).y, 420.0f, 0.01f);
    EXPECT_DOUBLE_EQ(CornerScene::environmentNumber("-1e-1", 1.0), -0.1);
    EXPECT_DOUBLE_EQ(CornerScene::environmentNumber(nullptr, 1.0), 1.0);
}

TEST_F(CornerSceneTest, SitsOnTheFloorWithTheOuterKneeUpAndLooseHands) {
    auto scene = makeScene();
    // Only the side changes between frames: the same character raises the other knee.
    for (const CornerSide side : {CornerSide::right, CornerSide::left}) {
        scene->apply(config("known", side));
        scene->updateAtTime(side == CornerSide::right ? 0.0 : 0.5);
        const CharacterPose pose = recorded(*scene).poses.back();
        EXPECT_TRUE(pose.floorSit);
        EXPECT_EQ(pose.foldedLeg, side == CornerSide::right ? 1 : 0);
        EXPECT_EQ(pose.kneeHandSide, side == CornerSide::right ? 1.0f : -1.0f);
        EXPECT_EQ(pose.handLeft, HandMode::loose);
        EXPECT_EQ(pose.handRight, HandMode::loose);
        EXPECT_EQ(recorded(*scene).frames.back(), scene->frame().get());
    }
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(recorded(*scene).poses.size(), 2u);
}

TEST_F(CornerSceneTest, RocksAndBreathesWithTimeAndLooksAheadInForwardMode) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::right, HeadMode::forward));
    scene->setLookTargetWorld(glm::vec3(0.3f, 1.2f, 2.0f));
    for (double t : {0.0, 0.7, 1.9, 4.2}) {
        scene->updateAtTime(t);
        const CharacterPose& pose = recorded(*scene).poses.back();
        EXPECT_DOUBLE_EQ(pose.time, t);
        EXPECT_NEAR(pose.leg, 0.5 * std::sin(0.8 * t), 1e-12);
        EXPECT_NEAR(pose.seatLift, 0.003 * std::sin(1.6 * t), 1e-12);
        EXPECT_FALSE(pose.lookTarget.has_value());
        EXPECT_EQ(pose.headYaw, 0.0);
    }
    // A clock that goes wrong holds the last good time instead of reaching the pose.
    scene->updateAtTime(std::nan(""));
    EXPECT_DOUBLE_EQ(recorded(*scene).poses.back().time, 4.2);
}

TEST_F(CornerSceneTest, CursorModeLooksAtTheTargetAndAheadWithoutOne) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::left));
    for (const std::optional<glm::vec3> target :
         {std::optional(glm::vec3(0.3f, 1.2f, 2.0f)), std::optional<glm::vec3>()}) {
        scene->setLookTargetWorld(target);
        scene->updateAtTime(0.1);
        EXPECT_EQ(recorded(*scene).poses.back().lookTarget, target);
    }
}

TEST_F(CornerSceneTest, IdleGlancesStartAfterThreeSecondsAndComeTwoAndAHalfToSevenApart) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::right, HeadMode::idle));
    double t = 0.0;
    for (; t <= 3.0 + 1e-9; t += 0.05) scene->updateAtTime(t);
    EXPECT_EQ(scene->nextIdleLook(), 3.0);
    EXPECT_EQ(scene->idleLook(), glm::dvec2(0.0));
    EXPECT_EQ(recorded(*scene).poses.back().headYaw, 0.0);

    double previous = 3.0;
    int glances = 0;
    for (; t < 60.0; t += 1.0 / 30.0) {
        scene->updateAtTime(t);
        if (scene->nextIdleLook() != previous) {
            const double gap = scene->nextIdleLook() - t;
            EXPECT_GE(gap, 2.5);
            EXPECT_LE(gap, 7.0);
            EXPECT_GT(t, previous);
            EXPECT_LT(t - previous, 0.05 + 1e-9);  // chosen on the first frame after the last one expired
            previous = scene->nextIdleLook();
            ++glances;
        }
        const glm::dvec2 look = scene->idleLook();
        EXPECT_TRUE(look.x >= -0.5 && look.x <= 0.5 && look.y >= -0.2 && look.y <= 0.15)
            << look.x << ", " << look.y;
        const CharacterPose& pose = recorded(*scene).poses.back();
        EXPECT_EQ(pose.headYaw, scene->headYaw());
        EXPECT_EQ(pose.headPitch, scene->headPitch());
        EXPECT_FALSE(pose.lookTarget.has_value());
    }
    EXPECT_GE(glances, 8);
    EXPECT_LE(glances, 23);
    // After a long run of frames the head has eased to its target.
    for (int i = 0; i < 30; ++i) scene->updateAtTime(t += 0.001);
    EXPECT_LT(std::abs(scene->headYaw() - scene->idleLook().x), 0.5);
}

TEST_F(CornerSceneTest, IdleHeadEasesAtMostOneThirtiethOfASecondPerFrame) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::right, HeadMode::idle));
    scene->updateAtTime(0.0);
    scene->updateAtTime(3.5);  // a long pause: a glance is chosen, the head moves only 6/30 of the way
    const glm::dvec2 target = scene->idleLook();
    EXPECT_NEAR(scene->headYaw(), 0.2 * target.x, 1e-12);
    EXPECT_NEAR(scene->headPitch(), 0.2 * target.y, 1e-12);
}

TEST_F(CornerSceneTest, ReloadsOnlyWhenTheNameChangesAndFallsBackToThePlaceholder) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::right));
    scene->apply(config("known", CornerSide::right));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(recorded(*scene).tag(), "known");

    for (const char* name : {"missing", "broken", "throws", ""}) {
        scene->apply(config(name, CornerSide::right));
        EXPECT_EQ(recorded(*scene).tag(), "placeholder") << name;
        EXPECT_EQ(scene->loadedName(), std::optional<std::string>(name));
        EXPECT_EQ(scene->character().root()->parent(), scene->frame().get());
        EXPECT_EQ(scene->frame()->childNodes().size(), 1u) << "the old character left the frame";
    }
}

TEST_F(CornerSceneTest, RealHumanoidSitsOnTheFloorInsideTheView) {
    const auto file = TestHumanoids::path("humanoid-mixamo-colon.glb");
    ASSERT_FALSE(file.empty());
    CornerScene::Services services;
    services.resolve = [](std::string_view name) { return std::optional(std::filesystem::path(name)); };
    auto scene = std::make_shared<CornerScene>(services);
    scene->apply(config(file.string(), CornerSide::right));
    scene->updateAtTime(0.0);
    ASSERT_NE(dynamic_cast<SkinnedCharacter*>(&scene->character()), nullptr);
    // Seated on the floor: the head is well below standing height and inside the view.
    const glm::vec3 head = inView(*scene, scene->character().headNode()->worldPosition());
    EXPECT_TRUE(head.x > 0.0f && head.x < 324.0f && head.y > 60.0f && head.y < 228.0f)
        << head.x << ", " << head.y;
    // Both feet lie in front of the hips (toward the middle of the view), the stretched one on the floor.
    const auto left = scene->character().root()->childNodeWithName("mixamorig:LeftFoot");
    const auto right = scene->character().root()->childNodeWithName("mixamorig:RightFoot");
    ASSERT_TRUE(left && right);
    EXPECT_LT(left->worldPosition().x, 0.99f - 0.3f);
    EXPECT_LT(right->worldPosition().x, 0.99f - 0.3f);
    EXPECT_GT(left->worldPosition().y, -0.05f);
    EXPECT_LT(left->worldPosition().y, 0.35f);
}

// Every standard humanoid, a third-party chibi when present and the built-in figure (""), on either side:
// drawn whole inside the view and on or above the floor while it rocks, breathes and follows a wandering
// cursor. Only the big-headed figures and the built-in one (whose head turns are allowed for, although it
// never turns far) are moved or shrunk; the rest keep their size and place, and no figure is lifted off
// the floor to keep its feet out of it (the raised leg is posed clear instead).
TEST_F(CornerSceneTest, EveryFigureStaysInsideTheViewAndAboveTheFloorWhileItSits) {
    std::vector<std::string> names = TestHumanoids::fileNames();
    names.push_back("");
    const std::string thirdParty = "kaykit-mannequin-medium.glb";
    if (!TestHumanoids::sharedModel(thirdParty).empty()) names.push_back(thirdParty);
    const std::set<std::string> moved = {"humanoid-chibi.glb", thirdParty, ""};
    const glm::vec3 cursors[] = {
        {-3.0f, 4.0f, 1.0f}, {2.0f, 3.0f, -2.0f}, {0.0f, 0.0f, 3.0f}, {1.3f, 0.2f, 0.0f}};
    const float halfWidth = CornerScene::kDefaultWidthUnits / 2.0 + 1e-3;
    const float top = CornerScene::kDefaultHeightUnits + 1e-3;
    for (const std::string& name : names) {
        const auto file = name == thirdParty ? TestHumanoids::sharedModel(name) : TestHumanoids::path(name);
        CornerScene::Services services;
        services.resolve = [&](std::string_view) {
            return name.empty() ? std::nullopt : std::optional(file);
        };
        // One load; the change of side refits the same figure.
        auto scene = std::make_shared<CornerScene>(services);
        for (const CornerSide side : {CornerSide::right, CornerSide::left}) {
            scene->apply(config(name, side));
            const Node& root = *scene->character().root();
            for (int frame = 0; frame < 16; ++frame) {
                scene->setLookTargetWorld(cursors[frame / 4]);
                scene->updateAtTime(0.25 * frame);
                const BoundingBox box = DrawnBox::of(root, *scene->frame());
                EXPECT_TRUE(box.min.x >= -halfWidth && box.max.x <= halfWidth && box.min.y >= -1e-3f &&
                            box.max.y <= top)
                    << name << " frame " << frame << ": x " << box.min.x << " .. " << box.max.x << ", y "
                    << box.min.y << " .. " << box.max.y;
            }
            const CornerFit& fit = scene->fit();
            EXPECT_EQ(fit.scale == 1.0f && fit.offset == glm::vec3(0.0f), moved.count(name) == 0) << name;
            EXPECT_LT(fit.offset.y, 0.03f) << name;
        }
    }
}

// A view too short for a seated humanoid shrinks it about its place on the floor, just enough: its top
// reaches the top of the view less a hair and it still sits on the floor.
TEST_F(CornerSceneTest, AViewTooShortShrinksTheFigureJustEnoughAndKeepsItOnTheFloor) {
    ScopedEnvironment height("PLIMSA_CORNER_H", "1.0");
    CornerScene::Services services;
    services.resolve = [](std::string_view name) { return std::optional(std::filesystem::path(name)); };
    auto scene = std::make_shared<CornerScene>(services);
    scene->apply(config(TestHumanoids::path("humanoid-mixamo-colon.glb").string(), CornerSide::right));
    scene->updateAtTime(0.0);
    const BoundingBox box = DrawnBox::of(*scene->character().root(), *scene->frame());
    EXPECT_LT(scene->fit().scale, 0.95f);
    EXPECT_GT(box.max.y, 0.95f);
    EXPECT_LE(box.max.y, 1.0f);
    EXPECT_GE(box.min.y, 0.0f);
    EXPECT_LT(box.min.y, 0.05f);
    EXPECT_EQ(scene->character().root()->scale(), glm::vec3(scene->fit().scale));
}

}  // namespace
}  // namespace plimsa
