#include <gtest/gtest.h>
#include <glm/glm.hpp>

#include <cmath>
#include <set>

#include "character/CharacterRig.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "support/Near.h"

namespace plimsa {
namespace {

constexpr float kTolerance = 1e-4f;

using testing::near;

glm::vec3 mirrored(const glm::vec3& v) {
    return {-v.x, v.y, v.z};
}

class PlaceholderFigure : public ::testing::Test {
  protected:
    std::shared_ptr<Node> part(std::string_view name) const { return rig->root()->childNodeWithName(name); }
    Node& arm(size_t index) const { return *rig->parts().arms.at(index); }
    // Centre of the hand box, in the swing frame.
    glm::vec3 hand(size_t index) const {
        return arm(index).childNodes().at(1)->convertPosition({}, frame.get());
    }
    glm::vec3 shoulder(size_t index) const { return arm(index).convertPosition({}, frame.get()); }
    glm::vec3 armAxis(size_t index) const {
        return glm::normalize(arm(index).convertVector({0, 1, 0}, frame.get()));
    }

    void SetUp() override { frame->addChildNode(rig->root()); }

    std::unique_ptr<CharacterRig> rig = CharacterRig::placeholder();
    std::shared_ptr<Node> frame = Node::make("frame");
};

TEST_F(PlaceholderFigure, HierarchyHasEveryNamedPartUnderItsParent) {
    EXPECT_EQ(rig->root()->name(), "Root");
    const std::vector<std::pair<const char*, const char*>> parentOf = {
        {"Torso", "Root"},  {"Head", "Torso"},   {"EyeL", "Head"},    {"EyeR", "Head"},  {"ThighL", "Root"},
        {"ThighR", "Root"}, {"ShinL", "ThighL"}, {"ShinR", "ThighR"}, {"ArmL", "Torso"}, {"ArmR", "Torso"}};
    for (const auto& [child, parent] : parentOf) {
        const auto node = part(child);
        ASSERT_TRUE(node) << child;
        EXPECT_EQ(node->parent()->name(), parent) << child;
    }
    const auto& parts = rig->parts();
    EXPECT_EQ(parts.eyes.at(0)->name(), "EyeL");
    EXPECT_EQ(parts.eyes.at(1)->name(), "EyeR");
    EXPECT_EQ(parts.thighs.at(0)->name(), "ThighL");
    EXPECT_EQ(parts.shins.at(1)->name(), "ShinR");
    EXPECT_EQ(parts.arms.at(0)->name(), "ArmL");
    EXPECT_EQ(parts.arms.at(1)->name(), "ArmR");
    EXPECT_EQ(rig->headNode(), part("Head"));
    EXPECT_TRUE(rig->shoulders().empty()) << "swing sizing measures only skinned shoulders";
}

// The boxes a part holds directly (its named children are parts of their own).
std::vector<const Node*> boxesOf(const Node& part) {
    std::vector<const Node*> boxes;
    for (const auto& child : part.childNodes())
        if (child->geometry()) boxes.push_back(child.get());
    return boxes;
}

TEST_F(PlaceholderFigure, LeftPartsMirrorTheRightOnesAtNegativeX) {
    for (const auto& [left, right] : {std::pair{"EyeL", "EyeR"}, std::pair{"ThighL", "ThighR"},
                                      std::pair{"ShinL", "ShinR"}, std::pair{"ArmL", "ArmR"}}) {
        EXPECT_LT(part(left)->convertPosition({}, rig->root().get()).x, 0.0f) << left;
        EXPECT_TRUE(near(part(left)->position(), mirrored(part(right)->position()), kTolerance)) << left;
        const auto l = boxesOf(*part(left));
        const auto r = boxesOf(*part(right));
        ASSERT_EQ(l.size(), r.size()) << left;
        EXPECT_FALSE(l.empty()) << left;
        for (size_t i = 0; i < l.size(); ++i) {
            const BoundingBox a = l[i]->geometry()->boundingBox();
            EXPECT_TRUE(near(a.size(), r[i]->geometry()->boundingBox().size(), kTolerance)) << left;
            EXPECT_TRUE(near(l[i]->position(), mirrored(r[i]->position()), kTolerance)) << left;
            EXPECT_EQ(l[i]->geometry()->firstMaterial(), r[i]->geometry()->firstMaterial()) << left;
        }
    }
}

TEST_F(PlaceholderFigure, MeshesAreGrabbableOpaqueDielectricGreysSharingAMaterialPerKind) {
    std::set<const Material*> materials;
    int meshes = 0;
    rig->root()->enumerateHierarchy([&](Node& node, bool&) {
        if (!node.geometry()) {
            EXPECT_NE(node.name(), "grab") << "no part is renamed";
            return;
        }
        ++meshes;
        EXPECT_EQ(node.name(), "grab");
        const auto& material = node.geometry()->firstMaterial();
        materials.insert(material.get());
        EXPECT_EQ(material->lightingModel(), LightingModel::physicallyBased);
        EXPECT_EQ(material->metalness(), 0.0f);
        EXPECT_EQ(material->diffuse().color, glm::vec4(glm::vec3(material->diffuse().color.r), 1.0f));
        EXPECT_FALSE(material->diffuse().hasImage());
    });
    EXPECT_GT(meshes, 0);
    EXPECT_LT(static_cast<int>(materials.size()), meshes / 2) << "one material per kind of part, not per box";
}

TEST_F(PlaceholderFigure, LegsKickTorsoLeansHeadTurnsAndEyesBlinkByTheirOwnAmounts) {
    CharacterPose pose;
    rig->apply(pose, *frame);
    EXPECT_NEAR(part("ThighR")->eulerAngles().x, 0.0f, kTolerance);
    EXPECT_NEAR(part("Torso")->eulerAngles().x, 0.0f, kTolerance);
    // The shins hang 0.25 rad forward of vertical, feet toward the viewer.
    const glm::vec3 hanging = part("ShinR")->convertVector({0, -1, 0}, rig->root().get());
    EXPECT_NEAR(std::atan2(hanging.z, -hanging.y), 0.25f, kTolerance);

    pose.leg = 1;
    pose.headYaw = 0.4;
    pose.headPitch = -0.2;
    rig->apply(pose, *frame);
    EXPECT_NEAR(part("ShinL")->eulerAngles().x, -1.1f, kTolerance);
    EXPECT_NEAR(part("ShinR")->eulerAngles().x, -1.1f, kTolerance);
    EXPECT_NEAR(part("ThighL")->eulerAngles().x, -0.22f, kTolerance);
    EXPECT_NEAR(part("Torso")->eulerAngles().x, -0.16f, kTolerance);
    EXPECT_TRUE(near(part("Head")->eulerAngles(), {-0.2f, 0.4f, 0}, kTolerance));
    pose = CharacterPose{};
    // A blink scales only the eyes' height.
    pose.blink = 0;
    rig->apply(pose, *frame);
    for (const char* eye : {"EyeL", "EyeR"})
        EXPECT_TRUE(near(part(eye)->scale(), {1, 0, 1}, kTolerance)) << eye;
    pose.blink = 0.5;
    rig->apply(pose, *frame);
    EXPECT_TRUE(near(part("EyeR")->scale(), {1, 0.5f, 1}, kTolerance)) << "half open";
    EXPECT_TRUE(near(part("Head")->scale(), {1, 1, 1}, kTolerance)) << "head";
}

TEST_F(PlaceholderFigure, HandsHoldTheirOwnChainsTheStandardOneWithoutAndArmsAimWhereAStraightArmMeetsIt) {
    rig->apply(CharacterPose{}, *frame);
    EXPECT_NEAR(hand(0).x, -0.42f, kTolerance);
    EXPECT_NEAR(hand(1).x, 0.42f, kTolerance);
    for (size_t i : {0u, 1u}) {
        EXPECT_NEAR(hand(i).z, 0.0f, kTolerance);
        EXPECT_GT(hand(i).y, shoulder(i).y + 0.5f);
        EXPECT_NEAR(glm::distance(hand(i), shoulder(i)), 0.55f, kTolerance);
    }
    CharacterPose none;
    none.chainXs.clear();
    rig->apply(none, *frame);
    EXPECT_NEAR(hand(1).x, 0.42f, kTolerance) << "no chains: the standard right chain";
    // An arm aims where a straight arm meets the chain, or just above the shoulder.
    CharacterPose pose;
    pose.chainXs = {0.39};  // 0.1 beside the right shoulder, 0.68 beyond the left arm's reach
    rig->apply(pose, *frame);
    const float reachable = std::sqrt(0.55f * 0.55f - 0.1f * 0.1f);
    EXPECT_TRUE(near(armAxis(1), glm::normalize(glm::vec3(0.1f, reachable, 0)), kTolerance)) << "right arm";
    EXPECT_TRUE(near(hand(1), shoulder(1) + glm::vec3(0.1f, reachable, 0), kTolerance))
        << "right hand on the chain";
    EXPECT_TRUE(near(armAxis(0), glm::normalize(glm::vec3(0.68f, std::sqrt(0.05f), 0)), kTolerance))
        << "left arm";
}

TEST_F(PlaceholderFigure, ChainsAreFoundInTheSwingFrameWhateverTheFigureDoesAndNothingGoesNonFinite) {
    rig->root()->setPosition({0.05f, -0.3f, 0.2f});
    frame->setEulerAngles({0, 0, 0.35f});  // the swing is out on its arc
    CharacterPose pose;
    pose.leg = 0.8;  // the torso leans back
    pose.chainXs = {-0.5, 0.5};
    rig->apply(pose, *frame);
    for (size_t i : {0u, 1u}) {
        const glm::vec3 s = shoulder(i);
        const float x = i == 0 ? -0.5f : 0.5f;
        const float rise = std::sqrt(0.55f * 0.55f - (x - s.x) * (x - s.x) - s.z * s.z);
        EXPECT_TRUE(near(armAxis(i), glm::normalize(glm::vec3(x - s.x, rise, -s.z)), kTolerance))
            << "arm toward its chain";
    }
    // Even upside down the figure points its arms at the chain.
    rig->root()->setPosition({0, 0, 0});
    frame->setEulerAngles({0, 0, 0});
    rig->root()->setEulerAngles({0, 0, glm::pi<float>()});
    rig->apply(CharacterPose{}, *frame);
    pose = CharacterPose{};
    pose.chainXs = {shoulder(1).x};  // straight above the shoulder: straight down in the torso's frame
    rig->apply(pose, *frame);
    EXPECT_TRUE(near(armAxis(1), {0, 1, 0}, kTolerance)) << "arm up in the swing frame";
    // Non-finite pose values leave the figure finite.
    pose = CharacterPose{};
    pose.leg = std::nan("");
    pose.headYaw = INFINITY;
    pose.blink = -std::numeric_limits<double>::infinity();
    pose.chainXs = {std::nan("")};
    rig->apply(pose, *frame);
    rig->root()->enumerateHierarchy([](Node& node, bool&) {
        const glm::mat4& world = node.worldTransform();
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) EXPECT_TRUE(std::isfinite(world[c][r])) << node.name();
    });
}

// The floor sit counts legs as skinned characters list them (+X first): leg 1 is "ThighL". Its knee comes
// up with the hand of side +1 on it, the other leg lies out in front, the other hand rests on the floor,
// and no box goes below the floor (the rig's y = 0, where the thighs rest as built, 0.01 into it); the swing
// pose afterwards is the usual one.
TEST_F(PlaceholderFigure, FloorSitRaisesTheCountedKneeUnderItsHandAndKeepsEveryBoxAboveTheFloor) {
    CharacterPose pose;
    pose.floorSit = true;
    pose.foldedLeg = 1;
    pose.kneeHandSide = 1.0f;
    for (const double rock : {-0.5, 0.5}) {
        pose.leg = rock;
        rig->apply(pose, *frame);
        const auto inRig = [&](std::string_view name) {
            return part(name)->convertPosition({}, rig->root().get());
        };
        EXPECT_GT(inRig("ShinL").y, inRig("ThighL").y + 0.2f) << "the knee is up";
        EXPECT_GT(part("ShinR")->convertVector({0, -1, 0}, rig->root().get()).z, 0.95f)
            << "the other shin points ahead";
        EXPECT_LT(glm::distance(hand(1), inRig("ShinL")), 0.2f) << "the hand of side +1 is on the knee";
        EXPECT_NEAR(hand(0).y, 0.125f, 0.01f) << "the other hand rests on the floor";
        rig->root()->enumerateHierarchy([&](Node& node, bool&) {
            if (!node.geometry()) return;
            const glm::mat4 toRig = glm::inverse(rig->root()->worldTransform()) * node.worldTransform();
            EXPECT_GT(node.geometry()->boundingBox().transformed(toRig).min.y, -0.011f)
                << node.parent()->name();
        });
    }
    rig->apply(CharacterPose{}, *frame);
    EXPECT_NEAR(hand(1).x, 0.42f, kTolerance);
    EXPECT_NEAR(part("ThighL")->eulerAngles().x, 0.0f, kTolerance);
}

}  // namespace
}  // namespace plimsa
