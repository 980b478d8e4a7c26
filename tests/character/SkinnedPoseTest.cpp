#include "SkinnedTestModels.h"

#include "character/ArmPoser.h"
#include "character/ChainFollower.h"

#include "platform/scene/Material.h"
#include "platform/scene/Primitives.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace plimsa {
namespace {

using namespace skinned_test;

/// A character hung under a swing frame the way a swing scene does it: the frame tilted as if mid-swing,
/// the character's root 2 units below the bar, chains at x = +-0.42 by default.
struct Rig {
    std::shared_ptr<Node> world = Node::make("World");
    std::shared_ptr<Node> frame = Node::make("SwingFrame");
    std::unique_ptr<SkinnedCharacter> character;

    explicit Rig(std::unique_ptr<SkinnedCharacter> loaded, float tilt = 0.2f) : character(std::move(loaded)) {
        world->addChildNode(frame);
        frame->setPosition({0.3f, 4.0f, -0.5f});
        frame->setEulerAngles({0.0f, 0.0f, tilt});
        if (character) {
            frame->addChildNode(character->root());
            character->root()->setPosition({0.0f, -2.0f, 0.0f});
        }
    }
    void apply(const CharacterPose& pose) { character->apply(pose, *frame); }
    glm::vec3 toSwing(const glm::vec3& world) const { return frame->convertPositionFrom(world, nullptr); }
    glm::vec3 rigPoint(const glm::vec3& rig) const {
        return character->root()->convertPosition(rig, nullptr);
    }
    glm::vec3 rigDirection(const glm::vec3& rig) const {
        return glm::normalize(character->root()->convertVector(rig, nullptr));
    }
    glm::vec3 inRigFrame(const glm::vec3& world) const {
        return character->root()->convertPositionFrom(world, nullptr);
    }
};

float armLength(const SkeletonBones::Arm& arm) {
    return glm::distance(arm.upper->worldPosition(), arm.fore->worldPosition()) +
           glm::distance(arm.fore->worldPosition(), arm.hand->worldPosition());
}

float sideOf(const Rig& rig, const SkeletonBones::Arm& arm) {
    return rig.inRigFrame(arm.upper->worldPosition()).x < 0.0f ? -1.0f : 1.0f;
}

/// The two-bone solve is exact: the wrist lands on the target, or as far toward it as the arm reaches.
void expectWristAt(const SkeletonBones::Arm& arm, const glm::vec3& target, float tolerance = 1e-3f) {
    const glm::vec3 shoulder = arm.upper->worldPosition();
    const float reach = armLength(arm);
    const float distance = glm::distance(target, shoulder);
    const bool reachable = distance <= reach - 0.001f;
    const glm::vec3 expected =
        reachable ? target : shoulder + (reach - 0.001f) * glm::normalize(target - shoulder);
    // Out of reach the elbow keeps a sliver of bend and the forearm aims at the far target, so the wrist
    // sits a few millimetres off the straight line.
    const float allowed = reachable ? tolerance : 0.01f;
    EXPECT_LT(glm::distance(arm.hand->worldPosition(), expected), allowed)
        << "wrist off its target by " << glm::distance(arm.hand->worldPosition(), expected);
}

/// The way the fingers point: toward the finger bone, or along the forearm for a hand without one.
glm::vec3 fingersOf(const SkeletonBones::Arm& arm) {
    const Node& from = arm.handEnd != nullptr ? *arm.hand : *arm.fore;
    const Node& to = arm.handEnd != nullptr ? *arm.handEnd : *arm.hand;
    return glm::normalize(to.worldPosition() - from.worldPosition());
}

glm::vec3 palmOf(const SkeletonBones::Arm& arm) {
    return arm.hand->worldOrientation() * arm.palmLocal;
}

/// The palm direction's part across the fingers (what orienting the hand controls), normalised.
glm::vec3 palmAcross(const SkeletonBones::Arm& arm) {
    const glm::vec3 fingers = fingersOf(arm);
    const glm::vec3 palm = palmOf(arm);
    return glm::normalize(palm - glm::dot(palm, fingers) * fingers);
}

/// A chain hand on the vertical rope at `ropeX` (swing frame, z = 0, default pose): the wrist 0.035 short
/// of the rope on the shoulder's side, at the grip distance. Returns the way out from shoulder to rope.
glm::vec3 expectWristOnRope(const Rig& rig, const SkeletonBones::Arm& arm, float ropeX) {
    const glm::vec3 shoulder = rig.toSwing(arm.upper->worldPosition());
    const float grip = 0.92f * armLength(arm);
    const float dx = ropeX - shoulder.x;
    const float rise = std::sqrt(grip * grip - dx * dx - shoulder.z * shoulder.z);
    const glm::vec3 outward = glm::normalize(glm::vec3(dx, 0.0f, -shoulder.z));
    const glm::vec3 wrist = rig.toSwing(arm.hand->worldPosition());
    EXPECT_LT(glm::distance(wrist, glm::vec3(ropeX, shoulder.y + rise, 0) - 0.035f * outward), 1e-3f)
        << ropeX;
    EXPECT_NEAR(std::hypot(wrist.x - ropeX, wrist.z), 0.035f, 1e-3f);
    EXPECT_LT(std::fabs(wrist.x - shoulder.x), std::fabs(dx)) << "on the shoulder's side";
    return outward;
}

/// Distance of a world point from the vertical rope at `ropeX` (swing frame, z = 0).
float fromRope(const Rig& rig, const glm::vec3& world, float ropeX) {
    const glm::vec3 p = rig.toSwing(world);
    return std::hypot(p.x - ropeX, p.z);
}

/// A hand without fingers to curl meets its chain flat: wrist as expectWristOnRope, fingers up the rope,
/// palm toward it. One with them holds it across the palm: fingers tilted back from the rope (thumb up),
/// palm toward it, the rope near the finger bases and out of the hand.
void expectGrip(const Rig& rig, const SkeletonBones::Arm& arm, float ropeX) {
    ASSERT_NE(arm.handEnd, nullptr);
    const glm::vec3 up = rig.frame->convertVector({0, 1, 0}, nullptr);
    if (arm.fingers.empty()) {
        const glm::vec3 outward = expectWristOnRope(rig, arm, ropeX);
        EXPECT_GT(glm::dot(fingersOf(arm), up), 0.999f);
        EXPECT_GT(glm::dot(palmAcross(arm), glm::normalize(rig.frame->convertVector(outward, nullptr))),
                  0.99f);
        return;
    }
    const glm::vec3 shoulder = rig.toSwing(arm.upper->worldPosition());
    const glm::vec3 outward = glm::normalize(glm::vec3(ropeX - shoulder.x, 0.0f, -shoulder.z));
    EXPECT_NEAR(glm::dot(fingersOf(arm), up), std::cos(0.9f), 1e-3f);
    EXPECT_LT(glm::dot(fingersOf(arm), rig.rigDirection({0, 0, 1})), -0.5f) << "tilted back";
    EXPECT_GT(glm::dot(palmAcross(arm), glm::normalize(rig.frame->convertVector(outward, nullptr))), 0.99f);
    const float knuckle = glm::distance(arm.hand->worldPosition(), arm.handEnd->worldPosition());
    EXPECT_LT(fromRope(rig, arm.handEnd->worldPosition(), ropeX), 0.6f * knuckle);
    for (const Node* bone : {arm.hand, arm.handEnd})
        EXPECT_GT(fromRope(rig, bone->worldPosition(), ropeX), ArmPoser::kChainRadius);
}

std::vector<glm::quat> orientations(const SkinnedCharacter& character) {
    std::vector<glm::quat> all;
    character.model()->enumerateChildNodes([&](Node& node, bool&) { all.push_back(node.orientation()); });
    return all;
}

bool bitIdentical(const std::vector<glm::quat>& a, const std::vector<glm::quat>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(glm::quat)) == 0;
}

class PosedHumanoid : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        rig = std::make_unique<Rig>(humanoid(GetParam()));
        ASSERT_NE(rig->character, nullptr);
        ASSERT_EQ(rig->character->bones().arms.size(), 2u);
    }
    const std::vector<SkeletonBones::Arm>& arms() const { return rig->character->bones().arms; }
    std::unique_ptr<Rig> rig;
};

TEST_P(PosedHumanoid, LooseHandsHangBesideTheBodyPalmsInwardAndAWavingHandRocksAboveTheShoulder) {
    CharacterPose pose;
    pose.handLeft = pose.handRight = HandMode::loose;
    rig->apply(pose);
    for (const SkeletonBones::Arm& arm : arms()) {
        const float side = sideOf(*rig, arm);
        const glm::vec3 sh = rig->inRigFrame(arm.upper->worldPosition());
        expectWristAt(arm, rig->rigPoint({sh.x + 0.08f * side, sh.y - 0.92f * armLength(arm), 0.08f}));
        EXPECT_GT(glm::dot(fingersOf(arm), rig->rigDirection({0, -1, 0})), 0.999f);
        EXPECT_GT(glm::dot(palmAcross(arm), rig->rigDirection({-side, 0, 0})), 0.99f);
    }

    pose.handLeft = HandMode::chain;
    pose.handRight = HandMode::wave;  // the arm at x >= 0
    pose.time = 0.3;
    rig->apply(pose);
    const SkeletonBones::Arm& waving = arms()[0];
    ASSERT_EQ(sideOf(*rig, waving), 1.0f);
    const glm::vec3 sh = rig->inRigFrame(waving.upper->worldPosition());
    const float w = static_cast<float>(0.09 * std::sin(7.0 * 0.3));
    expectWristAt(waving, rig->rigPoint({sh.x + 0.3f + w, sh.y + 0.42f, 0.18f}));
    EXPECT_GT(glm::dot(fingersOf(waving), rig->rigDirection({3 * w, 1, 0})), 0.999f);
    EXPECT_GT(glm::dot(palmAcross(waving), rig->rigDirection({0, 0, 1})), 0.99f);
    EXPECT_LT(rig->toSwing(arms()[1].hand->worldPosition()).x, -0.3f)
        << "the other hand still holds its chain";
}

TEST_P(PosedHumanoid, EachWristGripsItsChainOrOutOfReachRestsInTheLapCountingOneFallbackPerArm) {
    CharacterPose pose;
    pose.chainXs = {-3.0, 3.0};
    SkinnedCharacter::lapFallbacks = 0;
    rig->apply(pose);
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 2);
    rig->apply(pose);
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 4);
    for (const SkeletonBones::Arm& arm : arms()) {
        const float side = sideOf(*rig, arm);
        expectWristAt(arm, rig->rigPoint({0.13f * side, 0.17f, 0.3f}));
        EXPECT_GT(glm::dot(fingersOf(arm), rig->rigDirection({0, -1, 0})), 0.999f);
    }
    // One chain hand, one loose: one fallback per call.
    pose.handLeft = HandMode::loose;
    SkinnedCharacter::lapFallbacks = 0;
    rig->apply(pose);
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 1);
    // In reach, each wrist stops just short of its chain at the grip distance, without a fallback.
    SkinnedCharacter::lapFallbacks = 0;
    rig->apply(CharacterPose{});  // chains at +-0.42, grip at 0.92 of the arm
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 0);
    for (const SkeletonBones::Arm& arm : arms()) expectGrip(*rig, arm, 0.42f * sideOf(*rig, arm));
}

TEST_P(PosedHumanoid, SeatedThighsPointJustBelowHorizontalAndShinsHangJustForward) {
    const SkeletonBones::Leg leg = rig->character->bones().legs.at(0);
    // Forward angle of a bone from straight down, in the rig's Y-Z plane.
    auto forward = [&](const Node& from, const Node& to) {
        const glm::vec3 d = rig->inRigFrame(to.worldPosition()) - rig->inRigFrame(from.worldPosition());
        return std::atan2(d.z, -d.y);
    };
    const Node& foot = *leg.shin->childNodes().front();
    const float thighRest = forward(*leg.thigh, *leg.shin);
    const float shinRest = forward(*leg.shin, foot);
    rig->apply(CharacterPose{});
    constexpr float kHalfPi = std::numbers::pi_v<float> / 2;
    // With legs hanging straight down at rest: thighs 0.1 below horizontal, shins 0.15 forward of down.
    EXPECT_NEAR(forward(*leg.thigh, *leg.shin) - thighRest, kHalfPi - 0.1f, 1e-4f);
    EXPECT_NEAR(forward(*leg.shin, foot) - shinRest, 0.15f, 1e-4f);
}

TEST_P(PosedHumanoid, RepeatedApplyGivesBitIdenticalFiniteBonesWhateverCameBetweenEvenGarbage) {
    CharacterPose seated;
    seated.leg = 0.7;
    seated.time = 2.0;
    seated.lookTarget = glm::vec3(1.0f, 3.0f, 4.0f);
    rig->apply(seated);
    const std::vector<glm::quat> first = orientations(*rig->character);
    rig->apply(seated);
    EXPECT_TRUE(bitIdentical(first, orientations(*rig->character)));

    CharacterPose other = seated;
    other.standing = true;
    other.handLeft = HandMode::wave;
    other.leg = -0.4;
    rig->apply(other);
    other.standing = false;
    other.floorSit = true;
    other.handRight = HandMode::loose;
    rig->apply(other);
    EXPECT_FALSE(bitIdentical(first, orientations(*rig->character)));

    CharacterPose garbage;
    garbage.leg = NAN;
    garbage.time = INFINITY;
    garbage.headYaw = NAN;
    garbage.lookTarget = glm::vec3(NAN, 0.0f, 1.0f);
    garbage.chainXs = {NAN, 1e30};
    garbage.gripReach = -5;
    garbage.sizeMultiplier = 0.0;
    rig->apply(garbage);
    for (const glm::quat& q : orientations(*rig->character))
        ASSERT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w));
    rig->apply(seated);
    EXPECT_TRUE(bitIdentical(first, orientations(*rig->character)));
}

TEST_P(PosedHumanoid, FloorSitDrawsOneKneeUpAndRestsTheMatchingHandOnIt) {
    CharacterPose pose;
    pose.floorSit = true;
    pose.foldedLeg = 1;
    pose.kneeHandSide = 1.0f;
    pose.handLeft = pose.handRight = HandMode::loose;
    rig->apply(pose);
    const auto& legs = rig->character->bones().legs;
    const glm::vec3 hip1 = rig->inRigFrame(legs[1].thigh->worldPosition());
    const glm::vec3 knee1 = rig->inRigFrame(legs[1].shin->worldPosition());
    const glm::vec3 hip0 = rig->inRigFrame(legs[0].thigh->worldPosition());
    const glm::vec3 knee0 = rig->inRigFrame(legs[0].shin->worldPosition());
    EXPECT_GT(knee1.y, hip1.y + 0.05f) << "the folded knee is drawn up above the hip";
    EXPECT_GT(knee1.z, hip1.z + 0.2f);
    EXPECT_NEAR(knee0.y, hip0.y, 0.05f) << "the other leg lies straight out in front";
    EXPECT_GT(knee0.z, hip0.z + 0.4f);

    const SkeletonBones::Arm& onKnee = arms()[0];
    ASSERT_EQ(sideOf(*rig, onKnee), 1.0f);
    expectWristAt(onKnee, rig->rigPoint({knee1.x + 0.03f, knee1.y + 0.05f, knee1.z + 0.06f}));
    // The loose hand rests on the floor (the seat plane) beside the hip, fingers forward, none below it.
    const auto expectOnFloor = [&](const SkeletonBones::Arm& arm, float side) {
        const glm::vec3 sh = rig->inRigFrame(arm.upper->worldPosition());
        expectWristAt(
            arm, rig->rigPoint({sh.x + 0.14f * side, std::max(0.06f, sh.y - 0.95f * armLength(arm)), 0.12f}));
        EXPECT_GT(glm::dot(fingersOf(arm), rig->rigDirection({0.25f * side, 0, 1})), 0.999f);
        EXPECT_GT(rig->inRigFrame(arm.handEnd->worldPosition()).y, 0.0f);
    };
    expectOnFloor(arms()[1], -1.0f);

    // A folded leg index past the leg list turns the knee rest off: the arm follows its hand mode.
    pose.foldedLeg = 2;
    rig->apply(pose);
    expectOnFloor(onKnee, 1.0f);
}

// One rig per naming convention, rest pose, unit and root; the other spellings pose alike.
INSTANTIATE_TEST_SUITE_P(GeneratedSet, PosedHumanoid,
                         ::testing::Values("humanoid-mixamo-colon.glb", "humanoid-blender.glb",
                                           "humanoid-unreal.glb", "humanoid-a-pose.glb",
                                           "humanoid-centimetres.glb", "humanoid-rotated-root.glb",
                                           "humanoid-65-joints.glb"),
                         rigName);

TEST(SkinnedPose, HeadEasesTowardTheTargetAndPinsAtTheSideWhenItIsBehind) {
    Rig looking(humanoid("humanoid-mixamo-colon.glb"));
    Rig turned(humanoid("humanoid-mixamo-colon.glb"));
    const Node& head = *looking.character->bones().head;
    const glm::quat rest = head.orientation();
    const glm::vec3 from = head.worldPosition();
    CharacterPose pose;
    CharacterPose reference;
    // A target behind the character and a little to the side `x` (rig frame), level with its head, looked
    // at for six seconds: how closely the head then matches one turned by `yaw`.
    const auto lookBehind = [&](float x, double yaw) {
        pose.lookTarget = from + looking.rigDirection({x, 0.0f, -1.0f}) * 3.0f;
        reference.headYaw = yaw;
        for (int frame = 0; frame < 60; ++frame) {
            pose.time = reference.time += 0.1;
            looking.apply(pose);
            turned.apply(reference);
        }
        return std::fabs(
            glm::dot(head.worldOrientation(), turned.character->bones().head->worldOrientation()));
    };
    pose.lookTarget = from - looking.rigDirection({0, 0, 1});
    looking.apply(pose);
    EXPECT_EQ(head.orientation(), rest) << "the first frame does not turn yet";
    EXPECT_GT(lookBehind(0.2f, 1.1), 0.99999f) << "pinned at yaw +1.1, not turned through the back";
    EXPECT_GT(lookBehind(-0.05f, -1.1), 0.99999f);

    // One step of 0.05 s covers 7 * 0.05 = 35% of the remaining turn.
    Rig stepping(humanoid("humanoid-mixamo-colon.glb"));
    Rig expected(humanoid("humanoid-mixamo-colon.glb"));
    CharacterPose left;
    left.headYaw = -0.8;
    stepping.apply(left);
    left.time = 0.05;
    stepping.apply(left);
    CharacterPose direct;
    direct.headYaw = -0.8 * 0.35;
    expected.apply(direct);
    const glm::quat s = stepping.character->bones().head->worldOrientation();
    EXPECT_EQ(expected.character->bones().head->orientation(), rest);
    const glm::quat yaw = glm::angleAxis(-0.8f * 0.35f, glm::vec3(0, 1, 0));
    const glm::quat rootWorld = stepping.character->root()->worldOrientation();
    const glm::quat restWorld = expected.character->bones().head->worldOrientation();
    EXPECT_GT(std::fabs(glm::dot(s, rootWorld * yaw * glm::inverse(rootWorld) * restWorld)), 0.99999f);
}

TEST(SkinnedPose, GlossSizeAndPlacementFollowThePose) {
    Rig rig(humanoid("humanoid-mixamo-colon.glb"));
    CharacterPose pose;
    pose.shine = 0.6;
    pose.sizeMultiplier = 1.5;
    pose.seatLift = 0.1;
    pose.seatForward = 0.05;
    rig.apply(pose);
    for (const auto& material : rig.character->materials()) EXPECT_FLOAT_EQ(material->roughness(), 0.55f);
    const SeatFit& fit = rig.character->fit();
    EXPECT_FLOAT_EQ(rig.character->model()->scale().x, static_cast<float>(fit.baseScale * 1.5));
    const glm::vec3 at = rig.character->model()->position();
    EXPECT_FLOAT_EQ(at.x, fit.basePosition.x * 1.5f);
    EXPECT_FLOAT_EQ(at.y, static_cast<float>(fit.basePosition.y * 1.5 + 0.1));
    EXPECT_FLOAT_EQ(at.z, static_cast<float>(fit.basePosition.z * 1.5 + 0.05));
    pose.standing = true;
    rig.apply(pose);
    EXPECT_FLOAT_EQ(rig.character->model()->position().y,
                    static_cast<float>(fit.standingPosition.y * 1.5 + 0.1));
}

std::vector<glm::quat> armOrientations(const SkinnedCharacter& character) {
    std::vector<glm::quat> all;
    for (const auto& arm : character.bones().arms)
        all.insert(all.end(), {arm.upper->orientation(), arm.hand->orientation()});
    return all;
}

TEST(SkinnedPose, ExplicitRopesWinOverChainXsNoRopesLeaveTheArmsAtRestAndDebugPrintsFallbacks) {
    Rig rig(humanoid("humanoid-mixamo-colon.glb"), 0.0f);
    const std::vector<glm::quat> rest = armOrientations(*rig.character);
    CharacterPose pose;
    pose.chainXs = {-3.0, 3.0};  // ignored: ropes are given
    pose.ropes = {Rope{{-0.5f, 0.05f, 0.1f}, {-0.45f, -2.4f, 0.0f}},
                  Rope{{0.5f, 0.05f, 0.1f}, {0.45f, -2.4f, 0.0f}}};
    SkinnedCharacter::lapFallbacks = 0;
    rig.apply(pose);
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 0);
    for (const auto& arm : rig.character->bones().arms)
        EXPECT_NEAR(std::fabs(rig.toSwing(arm.hand->worldPosition()).x), 0.45f, 0.05f);
    pose.ropes.clear();
    pose.chainXs.clear();
    rig.apply(pose);
    EXPECT_TRUE(bitIdentical(rest, armOrientations(*rig.character)));
    // In debug mode each lap fallback is printed with its side.
    pose = CharacterPose{};
    pose.chainXs = {-3.0, 3.0};
    const testing::ScopedEnvironment debug{"PLIMSA_DEBUG", "1"};
    ::testing::internal::CaptureStdout();
    rig.apply(pose);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "LAP FALLBACK side=1.0\nLAP FALLBACK side=-1.0\n");
}

/// A box body 1.8 tall with hips and two arms built by hand: upper arms of `upperLength`, forearms of 0.25
/// and a middle finger on each hand; with `extraBones`, a twist bone halfway along each upper arm and a
/// wrist bone between forearm and hand, both turned, as many exported rigs have them.
std::unique_ptr<SkinnedCharacter> handBuiltArms(float upperLength, bool extraBones) {
    auto scene = Scene::make();
    auto body = Node::make(Primitives::box(0.5f, 1.8f, 0.3f, 0.0f), "Body");
    body->setPosition({0.0f, 0.9f, 0.0f});
    scene->rootNode().addChildNode(body);
    auto hips = Node::make("Hips");
    hips->setPosition({0.0f, 1.0f, 0.0f});
    scene->rootNode().addChildNode(hips);
    for (float side : {1.0f, -1.0f}) {
        const std::string name = side > 0 ? "Left" : "Right";
        const auto bone = [&](const std::string& suffix, const std::shared_ptr<Node>& parent, float x) {
            auto node = Node::make(name + suffix);
            node->setPosition({x * side, 0.0f, 0.0f});
            parent->addChildNode(node);
            return node;
        };
        auto upper = bone("Arm", hips, 0.2f);
        upper->setPosition(upper->position() + glm::vec3(0.0f, 0.4f, 0.0f));
        upper->setOrientation(glm::angleAxis(0.3f * side, glm::vec3(0, 0, 1)));
        auto twist = extraBones ? bone("ArmTwist", upper, upperLength / 2) : upper;
        auto fore = bone("ForeArm", twist, extraBones ? upperLength / 2 : upperLength);
        auto wrist = extraBones ? bone("Wrist", fore, 0.15f) : fore;
        bone("HandMiddle1", bone("Hand", wrist, extraBones ? 0.1f : 0.25f), 0.08f);
        if (extraBones) {
            twist->setOrientation(glm::angleAxis(0.4f, glm::vec3(1, 0, 0)));
            wrist->setOrientation(glm::angleAxis(0.5f, glm::vec3(0, 1, 0)));
        }
    }
    return std::make_unique<SkinnedCharacter>(*scene);
}

TEST(SkinnedPose, ZeroLengthArmBoneRestsWithoutAFallbackAndTwistAndWristBonesStillGrip) {
    Rig rig(handBuiltArms(0.0f, false));  // the forearm on the shoulder itself
    ASSERT_EQ(rig.character->bones().arms.size(), 2u);
    const std::vector<glm::quat> rest = orientations(*rig.character);
    SkinnedCharacter::lapFallbacks = 0;
    CharacterPose pose;
    pose.chainXs = {-3.0, 3.0};  // out of reach, were the arm measurable
    rig.apply(pose);
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 0);
    EXPECT_TRUE(bitIdentical(rest, orientations(*rig.character)));
    // Twist and wrist bones between the arm bones still put the hand on the chain.
    Rig twisted(handBuiltArms(0.3f, true));
    ASSERT_EQ(twisted.character->bones().arms.size(), 2u);
    SkinnedCharacter::lapFallbacks = 0;
    twisted.apply(CharacterPose{});
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 0);
    for (const auto& arm : twisted.character->bones().arms)
        expectGrip(twisted, arm, 0.42f * sideOf(twisted, arm));
}

/// The poses a character goes through: seated on chains, kicking, standing, the floor sit, loose, waving,
/// and chains out of reach (hands in the lap).
std::vector<CharacterPose> everyPose() {
    std::vector<CharacterPose> poses(7);
    poses[1].leg = 0.9;
    poses[2].standing = true;
    poses[3].floorSit = true;
    poses[3].foldedLeg = 0;
    poses[4].handLeft = poses[4].handRight = HandMode::loose;
    poses[5].handLeft = poses[5].handRight = HandMode::wave;
    poses[6].chainXs = {-3.0, 3.0};
    return poses;
}

TEST(SkinnedPose, FeetAndHandsHangingFromTheRootStayAtTheirChainsEndsWithWhatHangsFromThem) {
    Rig rig(humanoid("humanoid-ik-rig.glb"));
    ASSERT_NE(rig.character, nullptr);
    const SkeletonBones& bones = rig.character->bones();
    ASSERT_EQ(bones.legs.size(), 2u);
    ASSERT_EQ(bones.arms.size(), 2u);
    // Each followed node with the chain end it belongs to, its rest placement there, and whether its
    // orientation must follow too (a hand is turned by its own goal).
    struct Link {
        const Node* end;
        const Node* node;
        glm::mat4 rest;
        bool turns;
    };
    std::vector<Link> links;
    const auto link = [&](const Node& end, const Node& node, bool turns) {
        links.push_back({&end, &node, glm::inverse(end.worldTransform()) * node.worldTransform(), turns});
    };
    for (const SkeletonBones::Leg& leg : bones.legs) {
        ASSERT_NE(leg.foot, nullptr);
        EXPECT_FALSE(leg.shin->isAncestorOrSelf(leg.foot)) << "the foot hangs outside the leg";
        link(*leg.shin, *leg.foot, true);
        for (const auto& child : leg.foot->childNodes()) link(*leg.shin, *child, true);  // toes, shoes
    }
    for (const SkeletonBones::Arm& arm : bones.arms) {
        EXPECT_FALSE(arm.fore->isAncestorOrSelf(arm.hand)) << "the hand hangs outside the arm";
        link(*arm.fore, *arm.hand, false);
    }
    for (int frame = 0; frame < 3; ++frame) {
        rig.frame->setEulerAngles({0.0f, 0.0f, 0.25f * std::sin(static_cast<float>(frame))});
        for (CharacterPose pose : everyPose()) {
            pose.time = 0.4 * frame;
            rig.apply(pose);
            for (const Link& l : links) {
                const glm::mat4 expected = l.end->worldTransform() * l.rest;
                EXPECT_LT(glm::distance(l.node->worldPosition(), glm::vec3(expected[3])), 1e-4f)
                    << l.node->name();
                if (l.turns) {
                    EXPECT_GT(
                        std::fabs(glm::dot(l.node->worldOrientation(), BonePoser::orientationOf(expected))),
                        0.99999f)
                        << l.node->name();
                }
            }
        }
    }
    // Seated, the feet (and the meshes on them) come forward with the shins instead of staying below the
    // hips.
    rig.apply(CharacterPose{});
    for (const SkeletonBones::Leg& leg : bones.legs)
        EXPECT_GT(rig.inRigFrame(leg.foot->worldPosition()).z,
                  rig.inRigFrame(leg.thigh->worldPosition()).z + 0.3f);
}

TEST(ChainFollower, KeepsItsRestPlaceAtTheChainEndUnderAnyParentAndRefusesBonesInTheSameBranch) {
    auto root = Node::make();
    auto parent = Node::make();  // turned, scaled and moved: the bone's local transform must allow for it
    parent->setPosition({0.4f, -1.0f, 2.0f});
    parent->setOrientation(glm::angleAxis(1.1f, glm::normalize(glm::vec3(1, 2, 3))));
    parent->setScale(glm::vec3(1.7f));
    auto bone = Node::make();
    bone->setPosition({0.1f, 0.2f, 0.3f});
    auto end = Node::make();
    end->setPosition({0.0f, 1.0f, 0.0f});
    auto under = Node::make();
    root->addChildNode(parent);
    parent->addChildNode(bone);
    root->addChildNode(end);
    end->addChildNode(under);
    const std::optional<ChainFollower> follower = ChainFollower::attach(*bone, *end);
    ASSERT_TRUE(follower);
    const glm::mat4 rest = glm::inverse(end->worldTransform()) * bone->worldTransform();
    end->setPosition({-0.5f, 0.3f, 0.9f});
    end->setOrientation(glm::angleAxis(-0.7f, glm::vec3(0, 0, 1)));
    follower->follow();
    const glm::mat4 expected = end->worldTransform() * rest;
    for (int c = 0; c < 4; ++c) EXPECT_LT(glm::distance(bone->worldTransform()[c], expected[c]), 1e-5f) << c;
    EXPECT_FALSE(ChainFollower::attach(*under, *end)) << "already moves with the chain end";
    EXPECT_FALSE(ChainFollower::attach(*end, *under)) << "would move its own chain end";
}

class GrippingHand : public PosedHumanoid {};

TEST_P(GrippingHand, FingersCloseRoundTheChainWithoutEnteringItAndOpenToWave) {
    // Each finger's tip (its last joint) in its hand's frame at rest, and every finger joint's rest turn.
    std::vector<std::vector<glm::vec3>> straightTips;
    std::vector<glm::quat> rest;
    for (const SkeletonBones::Arm& arm : arms()) {
        ASSERT_GE(arm.fingers.size(), 4u);
        ASSERT_FALSE(arm.thumb.empty());
        auto& tips = straightTips.emplace_back();
        for (const auto& finger : arm.fingers) {
            tips.push_back(glm::inverse(arm.hand->worldTransform()) *
                           glm::vec4(finger.back()->worldPosition(), 1));
            for (const Node* joint : finger) rest.push_back(joint->orientation());
        }
    }
    rig->apply(CharacterPose{});
    for (size_t a = 0; a < arms().size(); ++a) {
        const SkeletonBones::Arm& arm = arms()[a];
        const float ropeX = 0.42f * sideOf(*rig, arm);
        for (size_t f = 0; f < arm.fingers.size(); ++f) {
            const glm::vec3 straight(arm.hand->worldTransform() * glm::vec4(straightTips[a][f], 1));
            EXPECT_LT(fromRope(*rig, arm.fingers[f].back()->worldPosition(), ropeX),
                      fromRope(*rig, straight, ropeX) - 0.01f)
                << arm.fingers[f].back()->name() << " closes toward the chain";
            for (const Node* joint : arm.fingers[f])
                EXPECT_GT(fromRope(*rig, joint->worldPosition(), ropeX), ArmPoser::kChainRadius)
                    << joint->name();
        }
        for (const Node* joint : arm.thumb)
            EXPECT_GT(fromRope(*rig, joint->worldPosition(), ropeX), ArmPoser::kChainRadius) << joint->name();
    }
    CharacterPose waving;
    waving.handLeft = waving.handRight = HandMode::wave;
    rig->apply(waving);
    std::vector<glm::quat> open;
    for (const SkeletonBones::Arm& arm : arms())
        for (const auto& finger : arm.fingers)
            for (const Node* joint : finger) open.push_back(joint->orientation());
    EXPECT_TRUE(bitIdentical(open, rest)) << "a waving hand is open";
}

INSTANTIATE_TEST_SUITE_P(FullHands, GrippingHand,
                         ::testing::Values("humanoid-65-joints.glb", "humanoid-ik-rig.glb",
                                           "humanoid-vrm1.vrm"),
                         rigName);

// The one third-party rig with bones a finder knows, when the shared models folder is there.
TEST(SkinnedSharedModel, KayKitMannequinIsFoundFittedAsDrawnAndGripsTheChains) {
    Rig rig(load(TestHumanoids::sharedModel("kaykit-mannequin-medium.glb")));
    if (rig.character == nullptr) GTEST_SKIP() << "shared models absent";
    const SkeletonBones& bones = rig.character->bones();
    ASSERT_TRUE(bones.hips && bones.spine && bones.head);
    EXPECT_EQ(bones.hips->name(), "hips");
    EXPECT_EQ(bones.spine->name(), "spine");
    EXPECT_EQ(bones.head->name(), "head");
    ASSERT_EQ(bones.legs.size(), 2u);
    ASSERT_EQ(bones.arms.size(), 2u);
    EXPECT_EQ(bones.arms[0].hand->name(), "hand.l");
    EXPECT_NE(bones.arms[0].hand->parent(), bones.arms[0].fore) << "a wrist bone lies between";
    // Its skinned meshes hang under a rotated armature node; measured as drawn they are 2.2 tall.
    EXPECT_NEAR(rig.character->fit().meshHeight, 2.207, 2e-3);
    EXPECT_NEAR(rig.character->bodyHalfWidth(), std::fabs(rig.character->shoulders().at(0).x) + 0.2, 1e-6);
    EXPECT_GT(rig.character->armReach(), 0.5);

    SkinnedCharacter::lapFallbacks = 0;
    rig.apply(CharacterPose{});
    EXPECT_EQ(SkinnedCharacter::lapFallbacks.load(), 0);
    for (const auto& arm : bones.arms) expectWristOnRope(rig, arm, 0.42f * sideOf(rig, arm));  // no fingers

    CharacterPose standing;
    standing.standing = true;
    rig.apply(standing);
    const BoundingBox box = drawnBounds(*rig.character);
    EXPECT_NEAR(box.min.y, 0.0f, 1e-3f);
    EXPECT_NEAR(box.max.y, 2.3f, 1e-3f);
}

}  // namespace
}  // namespace plimsa
