#include "character/BoneFinder.h"

#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace plimsa {
namespace {

using Chain = std::initializer_list<std::string>;

// Appends `names` under `parent` as a chain (each the child of the previous); returns the last.
std::shared_ptr<Node> chain(const std::shared_ptr<Node>& parent, Chain names) {
    std::shared_ptr<Node> at = parent;
    for (const std::string& name : names) {
        auto child = Node::make(name);
        at->addChildNode(child);
        at = child;
    }
    return at;
}

TEST(BoneFinderNormalise, StripsConventionsDownToLettersAndDigits) {
    EXPECT_EQ(BoneFinder::normalise("mixamorig:LeftUpLeg"), "leftupleg");
    EXPECT_EQ(BoneFinder::normalise("Thigh.L"), "thighl");
    EXPECT_EQ(BoneFinder::normalise("L_Forearm"), "lforearm");
    EXPECT_EQ(BoneFinder::normalise("mixamorig_Spine1"), "spine1");
    EXPECT_EQ(BoneFinder::normalise("MixamoRigHips"), "hips");
    EXPECT_EQ(BoneFinder::normalise("Bip01 R UpperArm"), "bip01rupperarm");
    EXPECT_EQ(BoneFinder::normalise(""), "");
}

TEST(BoneFinderNormalise, PrefixesAreRemovedInTurnEachSeeingThePreviousResult) {
    // "mixamorig:" goes first, then the bare "mixamorig" that is left.
    EXPECT_EQ(BoneFinder::normalise("mixamorig:mixamorigHead"), "head");
    // Only a leading prefix counts.
    EXPECT_EQ(BoneFinder::normalise("Head_mixamorig"), "headmixamorig");
}

TEST(BoneFinderNormalise, NonAsciiLettersStayAndPunctuationGoes) {
    EXPECT_EQ(BoneFinder::normalise("H\xC3\xBC" "fte"), "h\xC3\xBC" "fte");           // Hüfte
    EXPECT_EQ(BoneFinder::normalise("\xE5\xB7\xA6\xE8\x85\x95"), "\xE5\xB7\xA6\xE8\x85\x95");  // 左腕
    EXPECT_EQ(BoneFinder::normalise("Left\xE2\x80\x93" "Arm"), "leftarm");          // en dash
    EXPECT_EQ(BoneFinder::normalise("Left\xFF\xFE" "Arm\xC3"), "leftarm");          // malformed UTF-8
}

TEST(BoneFinderCandidates, ListsAreSpelledForEachSideInOrder) {
    EXPECT_EQ(BoneFinder::candidates(BoneFinder::Bone::thigh, "left"),
              (std::vector<std::string>{"leftupleg", "upperlegl", "thighl", "lthigh", "uplegl", "leftthigh",
                                        "lupleg", "lupperleg"}));
    EXPECT_EQ(BoneFinder::candidates(BoneFinder::Bone::shin, "right"),
              (std::vector<std::string>{"rightleg", "lowerlegr", "calfr", "shinr", "rcalf", "rshin", "rightcalf",
                                        "rightshin", "legr", "rlowerleg"}));
    EXPECT_EQ(BoneFinder::candidates(BoneFinder::Bone::upperArm, "left"),
              (std::vector<std::string>{"leftarm", "upperarml", "lupperarm", "arml", "leftupperarm", "larm"}));
    EXPECT_EQ(BoneFinder::candidates(BoneFinder::Bone::forearm, "right"),
              (std::vector<std::string>{"rightforearm", "forearmr", "lowerarmr", "rforearm", "rlowerarm",
                                        "rightlowerarm"}));
    EXPECT_EQ(BoneFinder::candidates(BoneFinder::Bone::hand, "left"),
              (std::vector<std::string>{"lefthand", "handl", "lhand"}));
}

std::shared_ptr<Node> mixamoRig() {
    auto model = Node::make();
    auto hips = chain(model, {"mixamorig:Hips"});
    auto spine2 = chain(hips, {"mixamorig:Spine", "mixamorig:Spine1", "mixamorig:Spine2"});
    chain(spine2, {"mixamorig:Neck", "mixamorig:Head", "mixamorig:HeadTop_End"});
    for (std::string side : {"Left", "Right"}) {
        chain(hips, {"mixamorig:" + side + "UpLeg", "mixamorig:" + side + "Leg", "mixamorig:" + side + "Foot"});
        auto hand = chain(spine2, {"mixamorig:" + side + "Shoulder", "mixamorig:" + side + "Arm",
                                   "mixamorig:" + side + "ForeArm", "mixamorig:" + side + "Hand"});
        chain(hand, {"mixamorig:" + side + "HandThumb1"});
        chain(hand, {"mixamorig:" + side + "HandIndex1"});
        chain(hand, {"mixamorig:" + side + "HandMiddle1"});
    }
    return model;
}

TEST(BoneFinderFind, MixamoRigYieldsEveryBoneLeftFirst) {
    auto model = mixamoRig();
    const SkeletonBones bones = BoneFinder::find(*model);
    ASSERT_NE(bones.hips, nullptr);
    EXPECT_EQ(bones.hips->name(), "mixamorig:Hips");
    EXPECT_EQ(bones.spine->name(), "mixamorig:Spine");
    EXPECT_EQ(bones.head->name(), "mixamorig:Head");
    ASSERT_EQ(bones.legs.size(), 2u);
    ASSERT_EQ(bones.arms.size(), 2u);
    EXPECT_EQ(bones.legs[0].thigh->name(), "mixamorig:LeftUpLeg");
    EXPECT_EQ(bones.legs[1].shin->name(), "mixamorig:RightLeg");
    EXPECT_EQ(bones.arms[0].upper->name(), "mixamorig:LeftArm");
    EXPECT_EQ(bones.arms[1].fore->name(), "mixamorig:RightForeArm");
    // The middle finger gives the pointing direction even though it is the hand's third child.
    EXPECT_EQ(bones.arms[0].handEnd->name(), "mixamorig:LeftHandMiddle1");
    EXPECT_EQ(bones.arms[0].palmLocal, glm::vec3(0, -1, 0));
    EXPECT_EQ(BoneFinder::summary(bones),
              "SkinnedCharacter: hips=mixamorig:Hips spine=mixamorig:Spine head=mixamorig:Head legs=2 arms=2 "
              "bones=" + std::to_string(bones.nameCount));
}

TEST(BoneFinderFind, UnrealStyleNamesMatchThroughTrailingInitials) {
    auto model = Node::make();
    auto pelvis = chain(model, {"pelvis"});
    auto spine = chain(pelvis, {"spine_01"});
    for (std::string side : {"l", "r"}) {
        chain(pelvis, {"thigh_" + side, "calf_" + side, "foot_" + side});
        auto hand = chain(spine, {"upperarm_" + side, "lowerarm_" + side, "hand_" + side});
        chain(hand, {"index_01_" + side});
    }
    chain(spine, {"neck_01"});
    const SkeletonBones bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.hips->name(), "pelvis");
    EXPECT_EQ(bones.spine->name(), "spine_01");
    EXPECT_EQ(bones.head, nullptr) << "neck_01 normalises to neck01, not neck";
    ASSERT_EQ(bones.legs.size(), 2u);
    EXPECT_EQ(bones.legs[0].thigh->name(), "thigh_l");
    EXPECT_EQ(bones.legs[0].shin->name(), "calf_l");
    ASSERT_EQ(bones.arms.size(), 2u);
    EXPECT_EQ(bones.arms[1].hand->name(), "hand_r");
    EXPECT_EQ(bones.arms[1].handEnd->name(), "index_01_r") << "without a middle finger, the first child";
}

TEST(BoneFinderFind, NeckStandsInForAMissingHeadAndMeshesAreNeverBones) {
    auto model = Node::make();
    auto hips = chain(model, {"Hips"});
    chain(hips, {"Neck"});
    auto mesh = Node::make("grab");
    mesh->setGeometry(Geometry::make({}));
    hips->addChildNode(mesh);
    chain(mesh, {"grab"});
    const SkeletonBones bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.head->name(), "Neck");
    EXPECT_EQ(bones.nameCount, 2u) << "hips and neck; the two nodes named grab are skipped";
    EXPECT_TRUE(bones.legs.empty());
    EXPECT_TRUE(bones.arms.empty());
    EXPECT_EQ(BoneFinder::summary(bones), "SkinnedCharacter: hips=Hips spine=- head=Neck legs=0 arms=0 bones=2");
}

TEST(BoneFinderFind, LaterNodeWithTheSameKeyWins) {
    auto model = Node::make();
    auto first = chain(model, {"Hips"});
    auto second = chain(first, {"hips"});
    const SkeletonBones bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.hips, second.get());
    EXPECT_EQ(bones.nameCount, 1u);
}

TEST(BoneFinderFind, IncompleteLimbsAreLeftOutAndHipsFallBackToRoot) {
    auto model = Node::make();
    auto root = chain(model, {"Root"});
    chain(root, {"Thigh.L", "Shin.L"});
    chain(root, {"Thigh.R"});                          // no shin
    chain(root, {"UpperArm.L", "ForeArm.L"});          // no hand
    chain(root, {"Arm_R", "Forearm_R", "Hand_R", "Finger_R"});
    const SkeletonBones bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.hips, root.get());
    ASSERT_EQ(bones.legs.size(), 1u);
    EXPECT_EQ(bones.legs[0].shin->name(), "Shin.L");
    ASSERT_EQ(bones.arms.size(), 1u);
    EXPECT_EQ(bones.arms[0].upper->name(), "Arm_R");
    EXPECT_EQ(bones.arms[0].handEnd->name(), "Finger_R");
}

TEST(BoneFinderFind, EmptyModelFindsNothing) {
    auto model = Node::make();
    const SkeletonBones bones = BoneFinder::find(*model);
    EXPECT_EQ(bones.hips, nullptr);
    EXPECT_EQ(bones.nameCount, 0u);
    EXPECT_EQ(BoneFinder::summary(bones), "SkinnedCharacter: hips=- spine=- head=- legs=0 arms=0 bones=0");
}

}  // namespace
}  // namespace plimsa
