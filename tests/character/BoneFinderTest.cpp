#include "character/BoneFinder.h"

#include "platform/gltf/GltfHumanoid.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace plimsa {
namespace {

// Appends `names` under `parent` as a chain (each the child of the previous); returns the last.
std::shared_ptr<Node> chain(const std::shared_ptr<Node>& parent, std::initializer_list<std::string> names) {
    std::shared_ptr<Node> at = parent;
    for (const std::string& name : names) {
        auto child = Node::make(name);
        at->addChildNode(child);
        at = child;
    }
    return at;
}

TEST(BoneFinderNormalise, StripsConventionsDownToLetters) {
    const std::pair<const char*, const char*> cases[] = {
        {"mixamorig:LeftUpLeg", "leftupleg"},
        {"Thigh.L", "thighl"},
        {"L_Forearm", "lforearm"},
        {"mixamorig_Spine1", "spine1"},
        {"MixamoRigHips", "hips"},
        {"Bip01 R UpperArm", "bip01rupperarm"},
        {"", ""},
        {"mixamorig:mixamorigHead", "head"},  // each prefix sees what the previous one left
        {"Head_mixamorig", "headmixamorig"},  // only a leading prefix counts
        // Letters beyond ASCII stay (Hüfte, 左腕); punctuation (an en dash) and malformed UTF-8 go.
        {"H\303\274fte", "h\303\274fte"},
        {"\345\267\246\350\205\225", "\345\267\246\350\205\225"},
        {"Left\342\200\223Arm", "leftarm"},
        {"Left\377\376Arm\303", "leftarm"},
    };
    for (const auto& [name, key] : cases) EXPECT_EQ(BoneFinder::normalise(name), key) << name;
}

// One left leg and arm in each common convention: thigh, shin, upper arm, forearm, hand.
TEST(BoneFinderFind, CommonConventionsFindTheLeftLimbs) {
    const std::vector<std::vector<std::string>> conventions = {
        {"mixamorig:LeftUpLeg", "mixamorig:LeftLeg", "mixamorig:LeftArm", "mixamorig:LeftForeArm",
         "mixamorig:LeftHand"},
        {"thigh.L", "shin.L", "upper_arm.L", "forearm.L", "hand.L"},
        {"thigh_l", "calf_l", "upperarm_l", "lowerarm_l", "hand_l"},
        {"L_Thigh", "L_Calf", "L_UpperArm", "L_LowerArm", "L_Hand"},
        {"UpperLeg.L", "LowerLeg.L", "Arm.L", "LowerArm.L", "Hand.L"},
        {"LeftThigh", "LeftShin", "LeftUpperArm", "LeftLowerArm", "LeftHand"},
        {"L UpLeg", "L Shin", "L Arm", "L ForeArm", "L Hand"},
    };
    for (const auto& names : conventions) {
        auto model = Node::make();
        auto hips = chain(model, {"Hips"});
        chain(hips, {names[0], names[1]});
        chain(hips, {names[2], names[3], names[4]});
        const SkeletonBones bones = BoneFinder::find(*model);
        ASSERT_EQ(bones.legs.size(), 1u) << names[0];
        ASSERT_EQ(bones.arms.size(), 1u) << names[2];
        EXPECT_EQ(bones.legs[0].thigh->name(), names[0]);
        EXPECT_EQ(bones.legs[0].shin->name(), names[1]);
        EXPECT_EQ(bones.arms[0].upper->name(), names[2]);
        EXPECT_EQ(bones.arms[0].fore->name(), names[3]);
        EXPECT_EQ(bones.arms[0].hand->name(), names[4]);
    }
}

TEST(BoneFinderFind, MixamoRigYieldsEveryBoneLeftFirst) {
    auto model = Node::make();
    auto hips = chain(model, {"mixamorig:Hips"});
    auto spine2 = chain(hips, {"mixamorig:Spine", "mixamorig:Spine1", "mixamorig:Spine2"});
    chain(spine2, {"mixamorig:Neck", "mixamorig:Head", "mixamorig:HeadTop_End"});
    for (std::string side : {"Right", "Left"}) {  // the right side first in the file
        chain(hips,
              {"mixamorig:" + side + "UpLeg", "mixamorig:" + side + "Leg", "mixamorig:" + side + "Foot"});
        auto hand = chain(spine2, {"mixamorig:" + side + "Shoulder", "mixamorig:" + side + "Arm",
                                   "mixamorig:" + side + "ForeArm", "mixamorig:" + side + "Hand"});
        for (const char* finger : {"Thumb1", "Index1", "Middle1"})
            chain(hand, {"mixamorig:" + side + "Hand" + finger});
    }
    const SkeletonBones bones = BoneFinder::find(*model);
    // The middle finger gives the pointing direction even though it is the hand's third child.
    ASSERT_EQ(bones.arms.size(), 2u);
    EXPECT_EQ(bones.arms[0].handEnd->name(), "mixamorig:LeftHandMiddle1");
    // One line per part names every bone, the left side first.
    CharacterReport report;
    BoneFinder::describe(bones, report);
    EXPECT_EQ(report.source, SkeletonBones::Source::names);
    EXPECT_EQ(report.bones,
              (std::vector<std::string>{
                  "body: mixamorig:Hips (hips), mixamorig:Spine (spine), mixamorig:Head (head)",
                  "left leg: mixamorig:LeftUpLeg, mixamorig:LeftLeg, mixamorig:LeftFoot (foot)",
                  "right leg: mixamorig:RightUpLeg, mixamorig:RightLeg, mixamorig:RightFoot (foot)",
                  "left arm: mixamorig:LeftArm, mixamorig:LeftForeArm, mixamorig:LeftHand (hand), "
                  "no finger bones",
                  "right arm: mixamorig:RightArm, mixamorig:RightForeArm, mixamorig:RightHand (hand), "
                  "no finger bones"}));
    EXPECT_TRUE(report.fallbacks.empty());
    EXPECT_EQ(report.notes, std::vector<std::string>{"no finger bones, so hands grip flat"})
        << "one-joint fingers are end bones, nothing to curl";
    EXPECT_EQ(BoneFinder::summary(bones),
              "SkinnedCharacter: hips=mixamorig:Hips spine=mixamorig:Spine head=mixamorig:Head legs=2 arms=2 "
              "bones=" +
                  std::to_string(bones.nameCount));
}

TEST(BoneFinderFind, IncompleteLimbsAreLeftOutHipsFallBackToRootNeckForHeadNoMeshesAndTheLaterKeyWins) {
    auto model = Node::make();
    auto root = chain(model, {"Root"});
    chain(root, {"Thigh.L", "Shin.L"});
    chain(root, {"Thigh.R"});                  // no shin
    chain(root, {"UpperArm.L", "ForeArm.L"});  // no hand
    chain(root, {"Arm_R", "Forearm_R", "Hand_R", "Finger_R"});
    chain(root, {"neck_01"});
    const SkeletonBones bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.hips, root.get());
    EXPECT_EQ(bones.head, nullptr) << "neck_01 normalises to neck01, not neck";
    ASSERT_EQ(bones.legs.size(), 1u);
    EXPECT_EQ(bones.legs[0].shin->name(), "Shin.L");
    ASSERT_EQ(bones.arms.size(), 1u);
    EXPECT_EQ(bones.arms[0].upper->name(), "Arm_R");
    EXPECT_EQ(bones.arms[0].handEnd->name(), "Finger_R") << "without a middle finger, the first child";
    CharacterReport report;
    BoneFinder::describe(bones, report);
    EXPECT_EQ(report.bones[1], "leg: Thigh.L, Shin.L, no foot") << "a lone limb's side is not told";
    EXPECT_EQ(report.fallbacks,
              (std::vector<std::string>{"only one arm found, so one hand does not grip",
                                        "only one leg found, so the other does not move",
                                        "no head bone, so no head turn", "no spine bone, so no lean"}));
    // A neck stands in for a missing head, and meshes are never bones.
    auto necked = Node::make();
    auto neckHips = chain(necked, {"Hips"});
    chain(neckHips, {"Neck"});
    auto mesh = Node::make("grab");
    mesh->setGeometry(Geometry::make({}));
    neckHips->addChildNode(mesh);
    chain(mesh, {"grab"});
    const SkeletonBones neck = BoneFinder::find(*necked);
    EXPECT_EQ(neck.head->name(), "Neck");
    EXPECT_EQ(neck.nameCount, 2u) << "hips and neck; the two nodes named grab are skipped";
    EXPECT_TRUE(neck.legs.empty());
    EXPECT_TRUE(neck.arms.empty());
    EXPECT_EQ(BoneFinder::summary(neck),
              "SkinnedCharacter: hips=Hips spine=- head=Neck legs=0 arms=0 bones=2");
    // An empty model finds nothing; of two nodes with one key the later wins.
    auto empty = Node::make();
    const SkeletonBones none = BoneFinder::find(*empty);
    EXPECT_EQ(none.hips, nullptr);
    EXPECT_EQ(none.nameCount, 0u);
    EXPECT_EQ(BoneFinder::summary(none), "SkinnedCharacter: hips=- spine=- head=- legs=0 arms=0 bones=0");
    // Of two nodes with the same key, the later one wins.
    auto first = chain(empty, {"Hips"});
    auto second = chain(first, {"hips"});
    const SkeletonBones twice = BoneFinder::find(*empty);
    EXPECT_EQ(twice.hips, second.get());
    EXPECT_EQ(twice.nameCount, 1u);
}

TEST(BoneFinderFind, TheVrmMapWinsOverNamesWhichFillWhatTheMapLacks) {
    auto model = Node::make();
    auto hips = chain(model, {"Hips"});
    chain(hips, {"Spine", "Head"});
    auto thigh = chain(hips, {"LeftUpLeg"});
    auto foot = chain(thigh, {"LeftLeg", "LeftFoot"});
    GltfHumanoid map;
    map.format = GltfHumanoid::Format::vrm1;
    const auto add = [&map](const char* bone, const std::shared_ptr<Node>& node) {
        map.bones.emplace_back(bone, node);
    };
    add("hips", chain(model, {"B0"}));
    add("neck", chain(model, {"B1"}));  // no head in the map: its neck, not the head found by name
    add("leftUpperLeg", thigh);
    add("leftLowerLeg", thigh->childNodes().front());  // no foot in the map: LeftFoot by name
    auto hand = chain(model, {"B2", "B3", "B4"});
    add("leftUpperArm", model->childNodeWithName("B2"));
    add("leftLowerArm", model->childNodeWithName("B3"));
    add("leftHand", hand);
    for (const char* bone : {"leftThumbMetacarpal", "leftThumbProximal", "leftIndexProximal",
                             "leftMiddleProximal", "leftMiddleIntermediate"}) {
        add(bone, chain(hand, {bone}));
    }
    add("spine", Node::make("outside"));  // a node outside the model is ignored: Spine by name
    const SkeletonBones bones = BoneFinder::find(*model, &map);
    EXPECT_EQ(bones.source, SkeletonBones::Source::vrm);
    EXPECT_EQ(bones.hips->name(), "B0");
    EXPECT_EQ(bones.spine->name(), "Spine");
    EXPECT_EQ(bones.head->name(), "B1");
    ASSERT_EQ(bones.legs.size(), 1u);
    EXPECT_EQ(bones.legs[0].foot, foot.get());
    ASSERT_EQ(bones.arms.size(), 1u);
    const SkeletonBones::Arm& arm = bones.arms[0];
    EXPECT_EQ(arm.hand, hand.get());
    ASSERT_EQ(arm.thumb.size(), 2u);
    EXPECT_EQ(arm.thumb[0]->name(), "leftThumbMetacarpal");
    ASSERT_EQ(arm.fingers.size(), 2u);
    EXPECT_EQ(arm.fingers[1].size(), 2u);
    EXPECT_EQ(arm.handEnd->name(), "leftMiddleProximal");
}

// IK rigs: feet and wrist-named hands hang from the root; a hand named as such still beats a wrist above it.
TEST(BoneFinderFind, FeetAnywhereAndWristsAsHandsOnlyWithoutAHand) {
    auto model = Node::make();
    auto root = chain(model, {"root"});
    auto hips = chain(root, {"hips"});
    chain(hips, {"upperleg.l", "lowerleg.l"});
    auto foot = chain(root, {"foot.l"});
    chain(hips, {"upperarm.r", "lowerarm.r"});
    auto wrist = chain(root, {"wrist.r"});
    chain(wrist, {"thumb1.r", "thumb2.r"});
    chain(wrist, {"index1.r", "index2.r", "index3.r"});
    chain(wrist, {"wrist.r_end"});  // a single leaf is no finger
    auto glove = Node::make(Geometry::make({}), "Glove");
    wrist->addChildNode(glove);
    chain(glove, {"strap", "buckle"});  // nor anything under a mesh
    SkeletonBones bones = BoneFinder::find(*model);
    ASSERT_EQ(bones.legs.size(), 1u);
    EXPECT_EQ(bones.legs[0].foot, foot.get());
    ASSERT_EQ(bones.arms.size(), 1u);
    EXPECT_EQ(bones.arms[0].hand, wrist.get());
    ASSERT_EQ(bones.arms[0].thumb.size(), 2u);
    EXPECT_EQ(bones.arms[0].thumb[0]->name(), "thumb1.r");
    ASSERT_EQ(bones.arms[0].fingers.size(), 1u);
    EXPECT_EQ(bones.arms[0].fingers[0].size(), 3u);
    auto hand = chain(wrist, {"hand.r"});
    bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.arms[0].hand, hand.get());
}

// A lone "root" matched by name gives way to the shape's reading; a skeleton with no legs to read keeps
// the fallback.
TEST(BoneFinderFind, TheShapeReplacesALoneRootAndAnUnclearShapeFindsNothing) {
    const GltfLoadResult loaded = GltfLoader().loadFile(TestHumanoids::path("humanoid-no-bones.glb"));
    ASSERT_TRUE(loaded);
    Node& scene = loaded.scene->rootNode();
    const SkeletonBones unnamed = BoneFinder::find(scene);
    auto root = Node::make("Root");
    for (const auto& child : std::vector<std::shared_ptr<Node>>(scene.childNodes()))
        root->addChildNode(child);
    scene.addChildNode(root);
    const SkeletonBones rooted = BoneFinder::find(scene);
    EXPECT_EQ(rooted.source, SkeletonBones::Source::shape);
    ASSERT_NE(rooted.hips, nullptr);
    EXPECT_EQ(rooted.hips, unnamed.hips);
    EXPECT_EQ(rooted.arms.size(), 2u);
    // A single upright chain (a tail, a tree) shows no hips.
    auto pole = Node::make();
    auto at = pole;
    for (int i = 0; i < 8; ++i) {
        at = chain(at, {"Bone"});
        at->setPosition({0.0f, 0.2f, 0.0f});
    }
    const SkeletonBones none = BoneFinder::find(*pole);
    EXPECT_EQ(none.source, SkeletonBones::Source::none);
    EXPECT_EQ(none.hips, nullptr);
    CharacterReport report;
    BoneFinder::describe(none, report);
    EXPECT_TRUE(report.bones.empty());
    EXPECT_EQ(report.fallbacks, std::vector<std::string>{"no bones recognised, so the model sits unposed"});
}

}  // namespace
}  // namespace plimsa
