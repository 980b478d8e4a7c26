#include "character/BoneFinder.h"
#include "humanoids/HumanoidSkeleton.h"
#include "humanoids/HumanoidSpec.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plimsa {
namespace {

using Source = SkeletonBones::Source;
using NameOf = std::function<std::string(const Node*)>;

// Every role as one line: "hips=Hips", "leg0=LeftUpLeg,LeftLeg,LeftFoot",
// "arm0=LeftArm,LeftForeArm,LeftHand>LeftHandMiddle1 fingers=4 thumb=LeftHandThumb1"; legs and arms left
// first.
std::vector<std::string> rolesOf(const SkeletonBones& bones, const NameOf& name) {
    std::vector<std::string> lines{"hips=" + name(bones.hips), "spine=" + name(bones.spine),
                                   "head=" + name(bones.head)};
    for (size_t i = 0; i < bones.legs.size(); ++i) {
        const auto& leg = bones.legs[i];
        lines.push_back("leg" + std::to_string(i) + "=" + name(leg.thigh) + "," + name(leg.shin) + "," +
                        name(leg.foot));
    }
    for (size_t i = 0; i < bones.arms.size(); ++i) {
        const auto& arm = bones.arms[i];
        lines.push_back("arm" + std::to_string(i) + "=" + name(arm.upper) + "," + name(arm.fore) + "," +
                        name(arm.hand) + ">" + name(arm.handEnd) +
                        " fingers=" + std::to_string(arm.fingers.size()) +
                        " thumb=" + name(arm.thumb.empty() ? nullptr : arm.thumb.front()));
    }
    return lines;
}

// What every generated humanoid should yield, in its canonical joint names.
std::vector<std::string> expectedRoles(const HumanoidSpec& spec) {
    std::vector<std::string> lines{"hips=Hips", "spine=Spine", "head=Head"};
    for (const char* side : {"Left", "Right"}) {
        const std::string s = side;
        lines.push_back(std::string("leg") + (s == "Left" ? "0" : "1") + "=" + s + "UpLeg," + s + "Leg," + s +
                        "Foot");
    }
    for (const char* side : {"Left", "Right"}) {
        const std::string s = side;
        lines.push_back(std::string("arm") + (s == "Left" ? "0" : "1") + "=" + s + "Arm," + s + "ForeArm," +
                        s + "Hand>" + s + "HandMiddle1" +
                        (spec.fullFingers ? " fingers=4 thumb=" + s + "HandThumb1" : " fingers=0 thumb=-"));
    }
    return lines;
}

struct Loaded {
    GltfLoadResult result;
    Node& root() const { return result.scene->rootNode(); }
};

Loaded load(const std::filesystem::path& file) {
    Loaded loaded{GltfLoader().loadFile(file)};
    EXPECT_TRUE(loaded.result) << file << ": " << loaded.result.error;
    return loaded;
}

// Every bone of the model loses its name, so only the shape of its skeleton is left to read.
void hideNames(Node& model) {
    model.enumerateChildNodes([](Node& node, bool&) {
        if (node.geometry() == nullptr) node.setName("");
    });
}

// Inserts a joint halfway between `joint` and its parent (a twist bone in the chain), keeping every
// position, and hangs a leaf twist bone beside it.
void addTwistBones(Node& joint) {
    Node& parent = *joint.parent();
    auto twist = Node::make();
    twist->setPosition(joint.position() / 2.0f);
    auto keep = joint.shared_from_this();
    joint.setPosition(joint.position() / 2.0f);
    parent.addChildNode(twist);
    twist->addChildNode(keep);
    auto leaf = Node::make();
    leaf->setPosition(joint.position() / 2.0f);
    twist->addChildNode(leaf);
}

const std::map<std::string, Source> kSources = {
    {"humanoid-vrm1.vrm", Source::vrm},
    {"humanoid-vrm0.vrm", Source::vrm},
    {"humanoid-no-bones.glb", Source::shape},
};

// Each standard humanoid: roles from its map, its names or its shape as the table says; then, with every
// name hidden and the map ignored, the same bones again from the skeleton's shape alone.
TEST(RigRoles, EveryStandardHumanoidByMapNameAndShape) {
    for (const std::string& file : TestHumanoids::fileNames()) {
        if (file == "humanoid-texture-4096.glb") continue;  // the skeleton of mixamo-colon, slow to decode
        SCOPED_TRACE(file);
        const HumanoidSpec spec = HumanoidSpec::named(file);
        const HumanoidSkeleton skeleton = HumanoidSkeleton::of(spec);
        Loaded loaded = load(TestHumanoids::path(file));
        if (!loaded.result) continue;
        std::map<const Node*, std::string> canonical;
        loaded.root().enumerateChildNodes([&](Node& node, bool&) {
            for (size_t i = 0; i < skeleton.joints().size(); ++i) {
                const std::string& joint = skeleton.joints()[i].canonical;
                if (node.name() == HumanoidSkeleton::boneName(joint, spec.naming, static_cast<int>(i))) {
                    canonical[&node] = joint;
                }
            }
        });
        const NameOf name = [&canonical](const Node* node) {
            return node == nullptr ? "-" : canonical.count(node) != 0 ? canonical.at(node) : "?";
        };
        const auto map = loaded.result.humanoid ? &*loaded.result.humanoid : nullptr;
        const SkeletonBones found = BoneFinder::find(loaded.root(), map);
        EXPECT_EQ(found.source, kSources.count(file) != 0 ? kSources.at(file) : Source::names);
        EXPECT_EQ(rolesOf(found, name), expectedRoles(spec));
        hideNames(loaded.root());
        const SkeletonBones shaped = BoneFinder::find(loaded.root());
        EXPECT_EQ(shaped.source, Source::shape);
        EXPECT_EQ(rolesOf(shaped, name), expectedRoles(spec));
        if (file != "humanoid-65-joints.glb") continue;
        // Twist bones, in the chain and beside it, change nothing.
        for (const char* joint : {"LeftForeArm", "LeftHand", "RightLeg", "RightFoot"}) {
            for (const auto& [node, role] : canonical) {
                if (role == joint) addTwistBones(*const_cast<Node*>(node));
            }
        }
        EXPECT_EQ(rolesOf(BoneFinder::find(loaded.root()), name), expectedRoles(spec));
    }
}

// Third-party rigs, when the shared models are present: by name, and with their names hidden.
TEST(RigRoles, SharedModelsByNameAndShape) {
    struct Row {
        const char* file;
        Source source;
        std::vector<std::string> roles;
        std::vector<std::string> shapeRoles;  // where the shape reads the rig otherwise than its names
    };
    const std::vector<Row> rows = {
        {"kaykit-mannequin-medium.glb",
         Source::names,
         {"hips=hips", "spine=spine", "head=head", "leg0=upperleg.l,lowerleg.l,foot.l",
          "leg1=upperleg.r,lowerleg.r,foot.r", "arm0=upperarm.l,lowerarm.l,hand.l>- fingers=0 thumb=-",
          "arm1=upperarm.r,lowerarm.r,hand.r>- fingers=0 thumb=-"},
         // The short last bone is the hand's end: the wrist is the hand.
         {"hips=hips", "spine=spine", "head=head", "leg0=upperleg.l,lowerleg.l,foot.l",
          "leg1=upperleg.r,lowerleg.r,foot.r", "arm0=upperarm.l,lowerarm.l,wrist.l>hand.l fingers=0 thumb=-",
          "arm1=upperarm.r,lowerarm.r,wrist.r>hand.r fingers=0 thumb=-"}},
        {"khronos-cesiumman.glb",
         Source::shape,
         {"hips=Skeleton_torso_joint_1", "spine=Skeleton_torso_joint_2", "head=Skeleton_neck_joint_2",
          "leg0=leg_joint_L_1,leg_joint_L_2,leg_joint_L_3", "leg1=leg_joint_R_1,leg_joint_R_2,leg_joint_R_3",
          "arm0=Skeleton_arm_joint_L__4_,Skeleton_arm_joint_L__3_,Skeleton_arm_joint_L__2_>- fingers=0 "
          "thumb=-",
          "arm1=Skeleton_arm_joint_R,Skeleton_arm_joint_R__2_,Skeleton_arm_joint_R__3_>- fingers=0 thumb=-"},
         {}},
    };
    for (const Row& row : rows) {
        const std::filesystem::path file = TestHumanoids::sharedModel(row.file);
        if (file.empty()) GTEST_SKIP() << row.file << " is not in the shared models folder";
        SCOPED_TRACE(row.file);
        Loaded loaded = load(file);
        if (!loaded.result) continue;
        std::map<const Node*, std::string> names;
        loaded.root().enumerateChildNodes([&names](Node& node, bool&) { names[&node] = node.name(); });
        const NameOf name = [&names](const Node* node) { return node == nullptr ? "-" : names.at(node); };
        const SkeletonBones found = BoneFinder::find(loaded.root());
        EXPECT_EQ(found.source, row.source);
        EXPECT_EQ(rolesOf(found, name), row.roles);
        hideNames(loaded.root());
        EXPECT_EQ(rolesOf(BoneFinder::find(loaded.root()), name),
                  row.shapeRoles.empty() ? row.roles : row.shapeRoles);
    }
}

}  // namespace
}  // namespace plimsa
