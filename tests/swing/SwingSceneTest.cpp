#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "SwingSceneTestSupport.h"
#include "character/CharacterRig.h"
#include "platform/scene/Light.h"
#include "platform/scene/LookAtConstraint.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/ViewProjector.h"

namespace plimsa::testing {
namespace {

constexpr double kPi = std::numbers::pi;

using SwingSceneAssembly = SwingSceneFixture;

bool allTransformsFinite(Node& root) {
    bool finite = true;
    root.enumerateHierarchy([&](Node& node, bool& stop) {
        const glm::mat4& m = node.worldTransform();
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) finite = finite && std::isfinite(m[c][r]);
        stop = !finite;
    });
    return finite;
}

TEST_F(SwingSceneAssembly, ConstructionBuildsTheNodeChainWithTheCameraAimedAtItsTarget) {
    const auto scene = makeScene();
    const auto& top = scene->scene()->rootNode().childNodes();
    ASSERT_EQ(top.size(), 6u);
    EXPECT_EQ(top[0], scene->cameraNode());
    EXPECT_EQ(top[1], scene->lookTarget());
    EXPECT_EQ(top[2]->light(), scene->ambientLight());
    EXPECT_EQ(top[3]->light(), scene->keyLight());
    EXPECT_EQ(top[4]->light(), scene->fillLight());
    EXPECT_EQ(top[5], scene->anchor());
    EXPECT_EQ(scene->pivot()->parent(), scene->yawNode().get());
    EXPECT_EQ(scene->yawNode()->parent(), scene->anchor().get());
    EXPECT_EQ(scene->swingParts()->parent(), scene->pivot().get());

    // Ropes, board, then the character.
    const auto& parts = scene->swingParts()->childNodes();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[2], scene->seatBuild()->node);
    EXPECT_EQ(parts[3], scene->characters()[0]->root());
    EXPECT_EQ(placeholders, 1);

    const auto aim = std::dynamic_pointer_cast<LookAtConstraint>(scene->cameraNode()->constraints().at(0));
    ASSERT_TRUE(aim);
    EXPECT_EQ(aim->target(), scene->lookTarget());
    EXPECT_TRUE(aim->isGimbalLockEnabled());
    EXPECT_EQ(scene->scene()->backgroundColor().a, 0.0f);
    EXPECT_TRUE(scene->scene()->lightingEnvironment().has_value());
}

TEST_F(SwingSceneAssembly, ContrastTradesAmbientForKeyLightWithinItsBand) {
    const auto scene = makeScene();
    const auto levels = [&](double contrast) {
        settings.update([&](SettingsValues& v) { v.lightContrast = contrast; });
        scene->applyLighting();
        return std::array{scene->ambientLight()->intensity, scene->keyLight()->intensity,
                          scene->fillLight()->intensity, scene->scene()->lightingEnvironmentIntensity()};
    };
    const auto flat = levels(0.0), usual = levels(SettingsValues().lightContrast), hard = levels(1.0);
    EXPECT_GT(flat[0], usual[0]);
    EXPECT_GT(usual[0], hard[0]);
    EXPECT_LT(flat[1], usual[1]);
    EXPECT_LT(usual[1], hard[1]);
    for (const float level : hard) EXPECT_GT(level, 0.0f) << "never a dark or negative light";
    EXPECT_EQ(levels(std::nan("")), usual);
    EXPECT_EQ(levels(-INFINITY), usual);
    EXPECT_EQ(levels(7.0), hard);
    EXPECT_EQ(levels(-3.0), flat);
}

TEST_F(SwingSceneAssembly, CameraPutsTheBarOnTopAndTheWindowBelowWithinTheMainScreenOr1600By900) {
    screens.frame = Screens::Rect{0, 0, 1440, 900};
    const auto scene = makeScene();
    const WindowSize size = scene->requiredSize(kPi);
    const ViewProjector projector(*scene->cameraNode(), glm::vec2(size.width, size.height));
    const glm::vec3 bar = projector.projectPoint(glm::vec3(0.0f));
    EXPECT_NEAR(bar.x, size.width / 2, 0.5);
    EXPECT_NEAR(bar.y, size.height, 0.5);
    // One unit is 120 points at scale 1.
    const glm::vec3 floor = projector.projectPoint(glm::vec3(0.0f, -size.height / 120, 0.0f));
    EXPECT_NEAR(floor.y, 0.0, 0.5);

    // A swing too big for the screen is held to 90% of its height, or of 1600 x 900 without one.
    SwingConfig big;
    big.ropeLength = 7.0;
    big.swingScale = 1.3;
    scene->setConfig(big);
    scene->settingsChanged();
    EXPECT_EQ(scene->requiredSize(kPi), (WindowSize{1440, 810}));
    screens.frame.reset();
    EXPECT_EQ(scene->requiredSize(kPi).height, 900);
    screens.frame = Screens::Rect{0, 0, 1280, 800};
    EXPECT_EQ(scene->requiredSize(kPi), (WindowSize{1280, 720}));
    EXPECT_LE(scene->requiredSize(scene->predictedAmplitude()).height, 720);
}

TEST_F(SwingSceneAssembly, SeatsTakeTheFirstTwoNamesLoadedOnceWithThePlaceholderForTheRest) {
    library["ann"] = {};
    library["bob"] = {};
    library["cy"] = {};
    library["broken"] = {.broken = true};
    const auto scene = makeScene();
    scene->setCharacters({});
    EXPECT_EQ(scene->characterNames(), std::vector<std::string>{""});
    EXPECT_EQ(scene->characters().size(), 1u);

    scene->setCharacters({"ann", "bob", "cy"});
    scene->setCharacters({"ann", "bob"});
    EXPECT_EQ(scene->characterNames(), (std::vector<std::string>{"ann", "bob"}));
    EXPECT_EQ(scene->builtSeats(), 2);
    EXPECT_EQ(loads, 2) << "the same names again load nothing";
    const SeatBuild& build = *scene->seatBuild();
    EXPECT_EQ(scene->chainXs(), (std::vector<double>{build.ropes[0].bottom.x, build.ropes[1].bottom.x}));
    const auto& parts = scene->swingParts()->childNodes();
    ASSERT_EQ(parts.size(), 5u);
    for (size_t seat = 0; seat < 2; ++seat) {  // seated on the board, which hangs rope-length down
        EXPECT_EQ(parts[3 + seat], scene->characters()[seat]->root());
        EXPECT_NEAR(parts[3 + seat]->position().x, scene->builtLayout().xs[seat], 1e-6);
        EXPECT_NEAR(parts[3 + seat]->position().y, build.rootOffset.y - scene->builtRope(), 1e-6);
    }

    placeholders = 0;
    scene->setCharacters({"nobody", "broken"});
    scene->setCharacters({"", "/no/such/file.glb"});
    EXPECT_EQ(placeholders, 4);
    EXPECT_EQ(scene->characters().size(), 2u);
}

TEST_F(SwingSceneAssembly, TheBuiltInFigureStandsInWhenNoPlaceholderIsInjected) {
    SwingScene::Services s = services();
    s.placeholder = nullptr;
    SwingScene scene(s);
    EXPECT_NE(dynamic_cast<CharacterRig*>(scene.characters().at(0).get()), nullptr);
    scene.updateAtTime(0.0);
    scene.updateAtTime(0.5);
    scene.updateAtTime(std::nan(""));
    scene.debugPose(std::nan(""), std::nan(""), INFINITY);
    scene.applyPose(std::nan(""), INFINITY, -INFINITY, std::nan(""));
    EXPECT_TRUE(allTransformsFinite(scene.scene()->rootNode()));
}

TEST_F(SwingSceneAssembly, OnlyChangesThatMoveTheFrameOrSeatsRebuild) {
    library["ann"] = {.halfWidth = 0.1};
    library["bob"] = {.halfWidth = 0.1};
    const auto scene = makeScene();
    SwingConfig config;
    config.characters = {"ann"};
    apply(*scene, config);
    struct Step {
        std::function<void(SwingConfig&)> edit;
        bool rebuilds;
    };
    const Step steps[] = {
        {[](SwingConfig& c) { c.lean = 1.7, c.shine = 0.9, c.kick = 0.2, c.gripReach = 0.5; }, false},
        {[](SwingConfig& c) { c.headMode = HeadMode::idle, c.handRight = HandMode::wave; }, false},
        {[](SwingConfig& c) {
             c.fits[0] = {1.3, 0.1, 0.0};
         },
         false},  // one seat: the board keeps its width
        {[](SwingConfig& c) { c.tiltDegrees = -40; }, false},
        {[](SwingConfig& c) { c.ropeLength = 3.0; }, true},
        {[](SwingConfig& c) { c.skin = SwingSkin::gold; }, true},
        {[](SwingConfig& c) {
             c.characters = {"ann", "bob"}, c.fits = {{1.0, 0, 0}, {1.0, 0, 0}};
         },
         true},
        {[](SwingConfig& c) { c.fits[0].size = 1.02; }, false},  // slim characters: the seats stay put
        {[](SwingConfig& c) { c.fits[1].size = 1.5; }, true},    // widens the board
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const auto parts = scene->swingParts();
        steps[i].edit(config);
        apply(*scene, config);
        EXPECT_EQ(scene->swingParts() != parts, steps[i].rebuilds) << "step " << i;
    }
    EXPECT_NEAR(scene->yawNode()->eulerAngles().y, -40 * kPi / 180, 1e-6);
    EXPECT_EQ(scene->effectiveSizes(), (std::vector<double>{1.02, 1.5}));
    EXPECT_EQ(scene->builtLayout(), scene->seatLayout());
    EXPECT_EQ(loads, 3) << "ann reloads only because the list of names changed, never for sizes";
}

TEST_F(SwingSceneAssembly, SizesAreFlooredForTheChainsButNeverLowered) {
    library["short"] = {.reachFrom = 0.83};
    library["armless"] = {.reachFrom = 5.0, .arms = false};
    const auto scene = makeScene();
    SwingConfig config;
    config.characters = {"short"};
    config.fits = {{1.2, 0, 0}};
    apply(*scene, config);
    EXPECT_EQ(scene->effectiveSizes(), std::vector<double>{1.2});
    const double minimum = scene->minCharacterSizes().at(0);
    EXPECT_NEAR(minimum, 0.85, 0.011) << "measured on the character itself";

    config.fits = {{0.6, 0, 0}};
    apply(*scene, config);
    EXPECT_EQ(scene->effectiveSizes(), std::vector<double>{minimum});
    config.characters = {"armless"};
    apply(*scene, config);
    EXPECT_EQ(scene->minCharacterSizes(), std::vector<double>{0.0}) << "no hands to keep on the chains";
    EXPECT_EQ(scene->effectiveSizes(), std::vector<double>{0.6});
}

TEST_F(SwingSceneAssembly, ReachTestsUseTheOuterHandOfEachSeatAndSkipHandsOffTheChains) {
    library["ann"] = {};
    const auto scene = makeScene();
    SwingConfig config;
    config.characters = {"ann", "ann"};
    config.handLeft = HandMode::wave;
    apply(*scene, config);
    FakeCharacter& left = fake(*scene, 0);
    FakeCharacter& right = fake(*scene, 1);
    left.poses.clear();
    right.poses.clear();
    EXPECT_TRUE(scene->reachesChains(0, 1.0, scene->builtLayout()));
    EXPECT_TRUE(scene->reachesChains(1, 1.0, scene->builtLayout()));
    ASSERT_EQ(left.poses.size(), 3u);
    EXPECT_EQ(left.poses[0].leg, -1.0);
    EXPECT_EQ(left.poses[2].leg, 1.0);
    EXPECT_EQ(std::pair(left.poses[0].handLeft, left.poses[0].handRight),
              std::pair(HandMode::chain, HandMode::loose));
    EXPECT_EQ(std::pair(right.poses[0].handLeft, right.poses[0].handRight),
              std::pair(HandMode::loose, HandMode::chain));
    EXPECT_EQ(left.poses[0].ropes, scene->seatBuild()->ropes) << "tested on the built board's ropes";

    config.characters = {"ann"};
    config.handLeft = HandMode::wave;
    config.handRight = HandMode::loose;
    apply(*scene, config);
    FakeCharacter& alone = fake(*scene, 0);
    alone.poses.clear();
    EXPECT_TRUE(scene->reachesChains(0, 0.1, scene->builtLayout()));
    EXPECT_TRUE(alone.poses.empty()) << "no chain hand: nothing to test";
}

TEST_F(SwingSceneAssembly, HostileSettingsNeverCrashHangOrReachATransform) {
    library["ann"] = {.reachFrom = 0.9};
    const auto scene = makeScene();
    const double nan = std::nan("");
    const std::vector<std::function<void(SwingConfig&)>> edits{
        [](SwingConfig& c) { c.ropeLength = 0; },
        [](SwingConfig& c) { c.ropeLength = -4; },
        [](SwingConfig& c) { c.ropeLength = 1e9; },
        [&](SwingConfig& c) { c.ropeLength = nan; },
        [](SwingConfig& c) { c.swingScale = -2; },
        [](SwingConfig& c) { c.swingScale = 1e12; },
        [](SwingConfig& c) { c.cruiseAmplitudeDegrees = 1e9; },
        [&](SwingConfig& c) { c.tiltDegrees = nan, c.kick = nan, c.lean = INFINITY, c.legBias = nan; },
        [&](SwingConfig& c) { c.gripReach = nan, c.shine = -INFINITY; },
        [&](SwingConfig& c) {
            c.fits = {{nan, nan, nan}, {1e300, -1e300, 0}, {2, 2, 2}, {3, 3, 3}};
        },
        [](SwingConfig& c) { c.fits.clear(); },
        [](SwingConfig& c) {
            c.characters = {"ann", "ann", "ann", "ann"};
        },
    };
    double time = 0;
    for (const auto& edit : edits) {
        SwingConfig config;
        config.characters = {"ann", "ann"};
        edit(config);
        apply(*scene, config);
        scene->addPush();
        for (int frame = 0; frame < 30; ++frame) scene->updateAtTime(time += 1.0 / 60);
        scene->debugPose(nan, nan, nan);
        EXPECT_TRUE(allTransformsFinite(scene->scene()->rootNode()));
        const WindowSize size = scene->requiredSize(scene->predictedAmplitude());
        EXPECT_TRUE(std::isfinite(size.width) && size.width >= 1 && size.width <= 1600);
        EXPECT_TRUE(std::isfinite(size.height) && size.height >= 1 && size.height <= 900);
        for (const double s : scene->effectiveSizes()) EXPECT_TRUE(s > 0 && s <= 9.0);
    }
}

}  // namespace
}  // namespace plimsa::testing
