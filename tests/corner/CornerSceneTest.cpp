#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>

#include "corner/CornerScene.h"
#include "character/SkinnedCharacter.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

/// Records every pose it is given.
class RecordingCharacter final : public SwingCharacter {
  public:
    explicit RecordingCharacter(std::string tag)
        : tag(std::move(tag)), root_(Node::make("Root")), head_(Node::make()) {
        head_->setPosition({0.0f, 1.0f, 0.0f});
        root_->addChildNode(head_);
    }
    const std::shared_ptr<Node>& root() const override { return root_; }
    const std::shared_ptr<Node>& headNode() const override { return head_; }
    double bodyHalfWidth() const override { return 0.45; }
    std::vector<glm::vec3> shoulders() const override { return {}; }
    void apply(const CharacterPose& pose, Node& swingFrame) override {
        poses.push_back(pose);
        frames.push_back(&swingFrame);
    }

    std::string tag;
    std::vector<CharacterPose> poses;
    std::vector<const Node*> frames;

  private:
    std::shared_ptr<Node> root_;
    std::shared_ptr<Node> head_;
};

/// Sets an environment variable for one scope and restores what was there.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

/// A corner scene whose library knows the names "known" and "broken" (which fails to load, and
/// "throws", whose loader throws); every character is a RecordingCharacter.
class CornerSceneTest : public ::testing::Test {
  protected:
    CornerSceneTest()
        : width_("PLIMSA_CORNER_W", nullptr),
          height_("PLIMSA_CORNER_H", nullptr),
          floor_("PLIMSA_CORNER_Y", nullptr) {}

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
            return std::make_unique<RecordingCharacter>(file.string());
        };
        services.placeholder = [] { return std::make_unique<RecordingCharacter>("placeholder"); };
        services.seed = 7;
        return std::make_shared<CornerScene>(services);
    }

    static RecordingCharacter& recorded(CornerScene& scene) {
        return dynamic_cast<RecordingCharacter&>(scene.character());
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
    ScopedEnvironment width_;
    ScopedEnvironment height_;
    ScopedEnvironment floor_;
};

/// The direction the character faces (its +Z) in world space.
glm::vec3 facing(const SwingCharacter& character) {
    return character.root()->convertVector({0, 0, 1}, nullptr);
}

TEST_F(CornerSceneTest, BuildsAnOrthographicFloorViewWithThreeLightsAndTheSky) {
    auto scene = makeScene();
    const Camera& camera = *scene->cameraNode()->camera();
    EXPECT_TRUE(camera.usesOrthographicProjection);
    EXPECT_FLOAT_EQ(camera.orthographicScale, 1.0f);
    EXPECT_FLOAT_EQ(camera.zNear, 0.1f);
    EXPECT_FLOAT_EQ(camera.zFar, 50.0f);
    EXPECT_EQ(scene->cameraNode()->position(), glm::vec3(0.0f, 1.0f, 6.0f));
    EXPECT_EQ(scene->cameraNode()->parent(), &scene->scene()->rootNode());
    EXPECT_EQ(scene->scene()->backgroundColor().a, 0.0f);
    ASSERT_TRUE(scene->scene()->lightingEnvironment().has_value());
    EXPECT_EQ(scene->scene()->lightingEnvironment()->name, "sky");
    EXPECT_FLOAT_EQ(scene->scene()->lightingEnvironmentIntensity(), 0.4f);
    EXPECT_EQ(scene->ambientLight()->type, LightType::ambient);
    EXPECT_FLOAT_EQ(scene->ambientLight()->intensity, 480.0f);
    EXPECT_FLOAT_EQ(scene->keyLight()->intensity, 700.0f);
    EXPECT_FLOAT_EQ(scene->fillLight()->intensity, 320.0f);
    EXPECT_EQ(scene->fillLight()->color, glm::vec3(0.92f, 0.94f, 1.0f));
    EXPECT_EQ(scene->frame()->parent(), &scene->scene()->rootNode());
    // The built-in figure waits for the first apply.
    EXPECT_EQ(scene->character().root()->parent(), nullptr);
    EXPECT_FALSE(scene->loadedName().has_value());
}

TEST_F(CornerSceneTest, RootsSitInFromTheSideEdgeFacingIntoTheScreen) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::left));
    const Node& left = *scene->character().root();
    EXPECT_NEAR(left.position().x, -0.99f, 1e-6);
    EXPECT_NEAR(left.position().y, 0.03f, 1e-6);
    EXPECT_EQ(left.position().z, 0.0f);
    EXPECT_NEAR(left.eulerAngles().y, std::numbers::pi / 2, 1e-6);
    EXPECT_NEAR(facing(scene->character()).x, 1.0f, 1e-6);

    scene->apply(config("known", CornerSide::right));
    const Node& right = *scene->character().root();
    EXPECT_NEAR(right.position().x, 0.99f, 1e-6);
    EXPECT_NEAR(right.position().y, 0.03f, 1e-6);
    EXPECT_NEAR(right.eulerAngles().y, -std::numbers::pi / 2, 1e-6);
    EXPECT_NEAR(facing(scene->character()).x, -1.0f, 1e-6);
    EXPECT_EQ(right.parent(), scene->frame().get());
}

TEST_F(CornerSceneTest, EnvironmentOverridesApplyOnlyWhenTheWholeTextIsANumber) {
    {
        ScopedEnvironment width("PLIMSA_CORNER_W", "3");
        ScopedEnvironment floor("PLIMSA_CORNER_Y", "0.1");
        auto scene = makeScene();
        scene->apply(config("known", CornerSide::left));
        EXPECT_DOUBLE_EQ(CornerScene::widthUnits(), 3.0);
        EXPECT_NEAR(scene->character().root()->position().x, -1.14f, 1e-6);
        EXPECT_NEAR(scene->character().root()->position().y, 0.1f, 1e-6);
        scene->apply(config("known", CornerSide::right));
        EXPECT_NEAR(scene->character().root()->position().x, 1.14f, 1e-6);
    }
    for (const char* text : {"abc", " 3", "3 ", "3x", "", "nan", "inf"}) {
        ScopedEnvironment width("PLIMSA_CORNER_W", text);
        auto scene = makeScene();
        scene->apply(config("known", CornerSide::right));
        EXPECT_DOUBLE_EQ(CornerScene::widthUnits(), 2.7) << '"' << text << '"';
        EXPECT_NEAR(scene->character().root()->position().x, 0.99f, 1e-6) << '"' << text << '"';
    }
    ScopedEnvironment height("PLIMSA_CORNER_H", "3.5");
    EXPECT_DOUBLE_EQ(CornerScene::heightUnits(), 3.5);
    auto tall = makeScene();
    EXPECT_FLOAT_EQ(tall->cameraNode()->camera()->orthographicScale, 1.75f);
    EXPECT_FLOAT_EQ(tall->cameraNode()->position().y, 1.75f);
    EXPECT_DOUBLE_EQ(CornerScene::environmentNumber("+2.5", 1.0), 2.5);
    EXPECT_DOUBLE_EQ(CornerScene::environmentNumber("-1e-1", 1.0), -0.1);
    EXPECT_DOUBLE_EQ(CornerScene::environmentNumber(nullptr, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(CornerScene::environmentNumber("+-1", 1.0), 1.0);
}

TEST_F(CornerSceneTest, SitsOnTheFloorWithTheOuterKneeUpAndLooseHands) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::right));
    scene->updateAtTime(0.0);
    const CharacterPose right = recorded(*scene).poses.back();
    EXPECT_TRUE(right.floorSit);
    EXPECT_EQ(right.foldedLeg, 1);
    EXPECT_EQ(right.kneeHandSide, 1.0f);
    EXPECT_EQ(right.handLeft, HandMode::loose);
    EXPECT_EQ(right.handRight, HandMode::loose);
    EXPECT_EQ(recorded(*scene).frames.back(), scene->frame().get());

    // Only the side changes: same character, flipped facing, and the other leg on the next frame.
    scene->apply(config("known", CornerSide::left));
    EXPECT_EQ(loads, 1);
    scene->updateAtTime(0.5);
    const CharacterPose left = recorded(*scene).poses.back();
    EXPECT_EQ(left.foldedLeg, 0);
    EXPECT_EQ(left.kneeHandSide, -1.0f);
    EXPECT_EQ(recorded(*scene).poses.size(), 2u);
}

TEST_F(CornerSceneTest, RocksAndBreathesWithTime) {
    auto scene = makeScene();
    scene->apply(config("known", CornerSide::right, HeadMode::forward));
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
    scene->setLookTargetWorld(glm::vec3(0.3f, 1.2f, 2.0f));
    scene->updateAtTime(0.1);
    EXPECT_EQ(recorded(*scene).poses.back().lookTarget, std::optional(glm::vec3(0.3f, 1.2f, 2.0f)));
    scene->setLookTargetWorld(std::nullopt);
    scene->updateAtTime(0.2);
    EXPECT_FALSE(recorded(*scene).poses.back().lookTarget.has_value());
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
        EXPECT_GE(scene->idleLook().x, -0.5);
        EXPECT_LE(scene->idleLook().x, 0.5);
        EXPECT_GE(scene->idleLook().y, -0.2);
        EXPECT_LE(scene->idleLook().y, 0.15);
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
    EXPECT_EQ(recorded(*scene).tag, "known");

    for (const char* name : {"missing", "broken", "throws", ""}) {
        scene->apply(config(name, CornerSide::right));
        EXPECT_EQ(recorded(*scene).tag, "placeholder") << name;
        EXPECT_EQ(scene->loadedName(), std::optional<std::string>(name));
        EXPECT_EQ(scene->character().root()->parent(), scene->frame().get());
        EXPECT_EQ(scene->frame()->childNodes().size(), 1u) << "the old character left the frame";
    }
}

TEST_F(CornerSceneTest, RealHumanoidSitsOnTheFloorInsideTheView) {
    const auto file = TestHumanoids::path("humanoid-mixamo-colon.glb");
    ASSERT_FALSE(file.empty());
    auto scene = std::make_shared<CornerScene>();
    CornerConfig config;
    config.character = file.string();
    config.side = CornerSide::right;
    scene->apply(config);
    scene->updateAtTime(0.0);
    ASSERT_NE(dynamic_cast<SkinnedCharacter*>(&scene->character()), nullptr);
    const glm::vec3 head = scene->character().headNode()->worldPosition();
    // Seated on the floor: the head is well below standing height and inside the 2.7 x 2 view.
    EXPECT_GT(head.y, 0.5f);
    EXPECT_LT(head.y, 1.9f);
    EXPECT_GT(head.x, -1.35f);
    EXPECT_LT(head.x, 1.35f);
    // Both feet lie in front of the hips (toward the middle of the view), the stretched one on the floor.
    const auto left = scene->character().root()->childNodeWithName("mixamorig:LeftFoot");
    const auto right = scene->character().root()->childNodeWithName("mixamorig:RightFoot");
    ASSERT_TRUE(left && right);
    EXPECT_LT(left->worldPosition().x, 0.99f - 0.3f);
    EXPECT_LT(right->worldPosition().x, 0.99f - 0.3f);
    EXPECT_GT(left->worldPosition().y, -0.05f);
    EXPECT_LT(left->worldPosition().y, 0.35f);
}

}  // namespace
}  // namespace plimsa
