#include "SkinnedTestModels.h"

#include "character/BoneFinder.h"
#include "character/CharacterLoader.h"
#include "platform/scene/Material.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Texture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

namespace plimsa {
namespace {

using namespace skinned_test;

// The generated humanoids are 1.8 tall; their joints (metres, feet at y = 0) are known.
constexpr double kScale = 2.3 / 1.8;
constexpr float kHipY = 0.98f;
constexpr float kThighY = 0.92f;
constexpr float kThighX = 0.09f;
constexpr float kShoulderX = 0.18f;
constexpr float kShoulderY = 1.44f;
constexpr float kArmLength = 0.27f + 0.25f;  // shoulder to elbow, elbow to wrist

// Seated lift above the seat in model units: hips above the thighs plus 0.7 of the thighs' spread.
constexpr double kLift = (kHipY - kThighY) + 0.7 * (2 * kThighX);

class SkinnedHumanoid : public testing::TestWithParam<std::string> {};

TEST_P(SkinnedHumanoid, FindsEveryBoneLeftSideFirst) {
    const auto character = humanoid(GetParam());
    ASSERT_NE(character, nullptr);
    const SkeletonBones& bones = character->bones();
    EXPECT_NE(bones.hips, nullptr);
    EXPECT_NE(bones.spine, nullptr);
    ASSERT_NE(bones.head, nullptr);
    EXPECT_EQ(character->headNode().get(), bones.head);
    ASSERT_EQ(bones.legs.size(), 2u);
    ASSERT_EQ(bones.arms.size(), 2u);
    // The character faces +Z, so its left side is at +X.
    EXPECT_GT(inRig(*character, *bones.legs[0].thigh).x, 0.0f);
    EXPECT_LT(inRig(*character, *bones.legs[1].thigh).x, 0.0f);
    EXPECT_GT(inRig(*character, *bones.arms[0].upper).x, 0.0f);
    for (const SkeletonBones::Arm& arm : bones.arms) {
        ASSERT_NE(arm.handEnd, nullptr);
        EXPECT_THAT(BoneFinder::normalise(arm.handEnd->name()), testing::HasSubstr("middle"));
    }
}

TEST_P(SkinnedHumanoid, SeatsTheHipsOverTheSeatAtTheFittedScale) {
    const auto character = humanoid(GetParam());
    ASSERT_NE(character, nullptr);
    EXPECT_FLOAT_EQ(character->model()->scale().x, static_cast<float>(character->fit().baseScale));
    const glm::vec3 hips = inRig(*character, *character->bones().hips);
    EXPECT_NEAR(hips.x, 0.0f, 1e-4f);
    EXPECT_NEAR(hips.y, kScale * kLift, 1e-4f);
    EXPECT_NEAR(hips.z, -0.06f, 1e-4f);
}

TEST_P(SkinnedHumanoid, MeasuresShouldersWidthAndReachInTheRigFrame) {
    const auto character = humanoid(GetParam());
    ASSERT_NE(character, nullptr);
    const std::vector<glm::vec3> shoulders = character->shoulders();
    ASSERT_EQ(shoulders.size(), 2u);
    const float shoulderY = static_cast<float>(kScale * (kShoulderY - kHipY + kLift));
    EXPECT_NEAR(shoulders[0].x, kScale * kShoulderX, 1e-4f);
    EXPECT_NEAR(shoulders[1].x, -kScale * kShoulderX, 1e-4f);
    EXPECT_NEAR(shoulders[0].y, shoulderY, 1e-4f);
    EXPECT_NEAR(shoulders[1].y, shoulderY, 1e-4f);
    EXPECT_NEAR(character->bodyHalfWidth(), kScale * kShoulderX + 0.2, 1e-4);
    EXPECT_NEAR(character->armReach(), kScale * kArmLength, 1e-3);
}

TEST_P(SkinnedHumanoid, StandsExactlyTwoPointThreeTallWithTheFeetOnTheFloor) {
    const auto character = humanoid(GetParam());
    ASSERT_NE(character, nullptr);
    CharacterPose pose;
    pose.standing = true;
    pose.handLeft = pose.handRight = HandMode::loose;
    auto frame = Node::make();
    character->apply(pose, *frame);
    const BoundingBox box = drawnBounds(*character);
    EXPECT_NEAR(box.min.y, 0.0f, 1e-3f);
    EXPECT_NEAR(box.max.y, 2.3f, 1e-3f);
}

TEST_P(SkinnedHumanoid, MaterialsBecomeMatteAndMeshesBecomeGrabbable) {
    const auto character = humanoid(GetParam());
    ASSERT_NE(character, nullptr);
    ASSERT_FALSE(character->materials().empty());
    std::set<const Material*> distinct;
    for (const auto& material : character->materials()) {
        distinct.insert(material.get());
        EXPECT_EQ(material->metalness(), 0.0f);
        EXPECT_EQ(material->roughness(), 1.0f);
        EXPECT_FALSE(material->normal().hasImage());
        if (material->diffuse().image) {
            EXPECT_LE(std::max(material->diffuse().image->width(), material->diffuse().image->height()), 1024);
        }
    }
    EXPECT_EQ(distinct.size(), character->materials().size());
    size_t meshes = 0;
    character->model()->enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry() != nullptr) {
            ++meshes;
            EXPECT_EQ(node.name(), "grab");
        }
    });
    EXPECT_GT(meshes, 0u);
}

// The 4096 px texture variant (slow to decode) has the skeleton of mixamo-colon and its own test below.
std::vector<std::string> quickHumanoids() {
    std::vector<std::string> names = riggedHumanoids();
    std::erase(names, "humanoid-texture-4096.glb");
    return names;
}

INSTANTIATE_TEST_SUITE_P(GeneratedSet, SkinnedHumanoid, testing::ValuesIn(quickHumanoids()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param.substr(9, info.param.size() - 13);
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(SkinnedCharacterLoad, AdoptsTheWholeSceneUnderRootAndModel) {
    const GltfLoadResult loaded = GltfLoader().loadFile(TestHumanoids::path("humanoid-mixamo-colon.glb"));
    ASSERT_TRUE(loaded);
    const size_t topLevel = loaded.scene->rootNode().childNodes().size();
    SkinnedCharacter character(*loaded.scene);
    EXPECT_TRUE(loaded.scene->rootNode().childNodes().empty());
    EXPECT_EQ(character.root()->name(), "Root");
    ASSERT_EQ(character.root()->childNodes().size(), 1u);
    EXPECT_EQ(character.root()->childNodes().front(), character.model());
    EXPECT_EQ(character.model()->childNodes().size(), topLevel);
}

TEST(SkinnedCharacterLoad, CharacterLoaderGivesASkinnedCharacterForGlbInAnyCase) {
    const std::filesystem::path source = TestHumanoids::path("humanoid-mixamo-colon.glb");
    const std::filesystem::path upper = TestHumanoids::folder() / "UPPER-CASE.GLB";
    std::filesystem::copy_file(source, upper, std::filesystem::copy_options::overwrite_existing);
    const auto character = CharacterLoader::load(upper);
    ASSERT_NE(character, nullptr);
    EXPECT_NE(dynamic_cast<SkinnedCharacter*>(character.get()), nullptr);
    EXPECT_EQ(character->shoulders().size(), 2u);
}

TEST(SkinnedCharacterLoad, ModelWithoutBonesIsPlacedByItsMeshesAlone) {
    const auto character = humanoid("humanoid-no-bones.glb");
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->bones().hips, nullptr);
    EXPECT_TRUE(character->bones().legs.empty());
    EXPECT_TRUE(character->bones().arms.empty());
    EXPECT_EQ(character->headNode(), character->root());
    EXPECT_EQ(character->bodyHalfWidth(), 0.45);
    EXPECT_TRUE(character->shoulders().empty());
    EXPECT_EQ(character->armReach(), 0.55);
    EXPECT_NEAR(character->fit().baseScale, kScale, 1e-4);
    // Seated without hips: the model's origin (its feet) sits 0.08 of its bone height above the seat.
    const BoundingBox seated = drawnBounds(*character);
    EXPECT_NEAR(seated.max.y - seated.min.y, 2.3f, 1e-3f);
    EXPECT_GT(seated.min.y, 0.0f);
    // Posing it does nothing beyond size and place, and never fails.
    auto frame = Node::make();
    character->apply(CharacterPose{}, *frame);
}

TEST(SkinnedCharacterLoad, BigTextureIsShrunkToTheCapOnItsLongSide) {
    const auto character = humanoid("humanoid-texture-4096.glb");
    ASSERT_NE(character, nullptr);
    std::set<std::pair<int, int>> sizes;
    for (const auto& material : character->materials()) {
        if (material->diffuse().image) sizes.insert({material->diffuse().image->width(), material->diffuse().image->height()});
    }
    EXPECT_EQ(sizes, (std::set<std::pair<int, int>>{{1024, 512}}));
    EXPECT_EQ(character->bones().arms.size(), 2u);
    EXPECT_NEAR(character->fit().baseScale, kScale, 1e-4);
}

TEST(SkinnedCharacterLoad, SharedTextureStaysSharedAndEachMaterialIsListedOnce) {
    const auto character = humanoid("humanoid-blender.glb");
    ASSERT_NE(character, nullptr);
    std::vector<const Texture*> textures;
    for (const auto& material : character->materials()) {
        if (material->diffuse().image) textures.push_back(material->diffuse().image.get());
    }
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[0], textures[1]);
}

TEST(SkinnedCharacterLoad, PrintsOneSummaryLineAndDebugProportionsOnRequest) {
    unsetenv("PLIMSA_DEBUG");
    testing::internal::CaptureStdout();
    humanoid("humanoid-unreal.glb");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "SkinnedCharacter: hips=pelvis spine=spine_01 head=head legs=2 arms=2 bones=26\n");

    setenv("PLIMSA_DEBUG", "", 1);
    testing::internal::CaptureStdout();
    humanoid("humanoid-unreal.glb");
    const std::string out = testing::internal::GetCapturedStdout();
    unsetenv("PLIMSA_DEBUG");
    const std::regex expected(
        "SkinnedCharacter: [^\n]*\n"
        "proportions: standing=1\\.800 hipsToCrown=0\\.610 headToCrown=0\\.000 scale=1\\.278 meshHeight=1\\.800 "
        "meshTopAboveHips=0\\.820 hipY=0\\.980\n"
        "arm shoulder x=0\\.23 y=0\\.83 reach=0\\.66\n"
        "arm shoulder x=-0\\.23 y=0\\.83 reach=0\\.66\n"
        "thigh x=0\\.12\n"
        "thigh x=-0\\.12\n");
    EXPECT_TRUE(std::regex_match(out, expected)) << out;
}

// A scene of plain (unskinned) meshes and bones, built by hand.
std::shared_ptr<Scene> sceneWithMesh(float height, const std::vector<std::string>& bones) {
    auto scene = Scene::make();
    auto mesh = Node::make(Primitives::box(0.4f, height, 0.3f, 0.0f), "Body");
    mesh->setPosition({0.0f, height / 2, 0.0f});
    scene->rootNode().addChildNode(mesh);
    float y = 0.1f;
    for (const std::string& name : bones) {
        auto bone = Node::make(name);
        bone->setPosition({0.0f, y, 0.0f});
        scene->rootNode().addChildNode(bone);
        y += 0.2f;
    }
    return scene;
}

TEST(SkinnedCharacterFit, OnlyMeshOfOnePointEightIsScaledByTwoPointThreeOverIt) {
    auto scene = sceneWithMesh(1.8f, {"Hips", "Spine", "Head"});
    const SkinnedCharacter character(*scene);
    EXPECT_NEAR(character.fit().baseScale, 2.3 / 1.8, 1e-5);
    EXPECT_NEAR(character.fit().standingPosition.y, 0.0f, 1e-5f);
}

TEST(SkinnedCharacterFit, TwoBonesOnlyTakeTheirTopFromTheMeshes) {
    auto scene = sceneWithMesh(1.5f, {"Hips", "Head"});
    const SkinnedCharacter character(*scene);
    // Hips at 0.1; with fewer than three bones the top is the mesh top, 1.5.
    EXPECT_NEAR(character.fit().hipsToCrown, 1.4, 1e-5);
    // Not two legs: the lift is 0.08 of hips-to-crown.
    const double s = 2.3 / 1.5;
    EXPECT_NEAR(character.fit().basePosition.y, s * (0.08 * 1.4 - 0.1), 1e-5);
}

TEST(SkinnedCharacterFit, UnusableMeshFallsBackToTheBoneExtentFlooredAtHalfAUnit) {
    // A 300-unit mesh beside a skeleton of 0.4: garbage, the bones (0.1 .. 0.5) measure instead.
    auto tall = sceneWithMesh(300.0f, {"Hips", "Spine", "Head"});
    EXPECT_NEAR(SkinnedCharacter(*tall).fit().standingHeight, 0.5, 1e-6);
    // Bones at 0.1 .. 0.9 without hips: the extent starts from the origin, so it is 0.9.
    auto tiny = sceneWithMesh(0.2f, {"A", "B", "C", "D", "E"});
    EXPECT_NEAR(SkinnedCharacter(*tiny).fit().standingHeight, 0.9, 1e-6);
    auto empty = Scene::make();
    const SkinnedCharacter nothing(*empty);
    EXPECT_NEAR(nothing.fit().baseScale, 2.3 / 0.5, 1e-6);
    EXPECT_EQ(nothing.headNode(), nothing.root());
}

TEST(SkinnedCharacterFit, MaterialsSharedByManyMeshesAreProcessedOnce) {
    auto scene = Scene::make();
    auto red = Material::make(glm::vec3(1, 0, 0), 0.3f, 0.8f);
    auto blue = Material::make(glm::vec3(0, 0, 1), 0.2f, 0.9f);
    for (int i = 0; i < 4; ++i) {
        auto geometry = Primitives::box(0.2f, 0.2f, 0.2f, 0.0f);
        geometry->setMaterials({i % 2 == 0 ? red : blue, red});
        auto node = Node::make(geometry, "Part" + std::to_string(i));
        scene->rootNode().addChildNode(node);
    }
    const SkinnedCharacter character(*scene);
    ASSERT_EQ(character.materials().size(), 2u);
    EXPECT_EQ(character.materials()[0], red);
    EXPECT_EQ(character.materials()[1], blue);
    EXPECT_EQ(red->metalness(), 0.0f);
    EXPECT_EQ(blue->roughness(), 1.0f);
}

TEST(SkinnedCharacterShared, KayKitMannequinIsFoundAndFittedAsDrawn) {
    const auto character = load(TestHumanoids::sharedModel("kaykit-mannequin-medium.glb"));
    if (character == nullptr) GTEST_SKIP() << "shared models absent";
    const SkeletonBones& bones = character->bones();
    EXPECT_EQ(bones.hips->name(), "hips");
    EXPECT_EQ(bones.spine->name(), "spine");
    EXPECT_EQ(bones.head->name(), "head");
    ASSERT_EQ(bones.legs.size(), 2u);
    ASSERT_EQ(bones.arms.size(), 2u);
    EXPECT_EQ(bones.arms[0].hand->name(), "hand.l");
    // Its skinned meshes hang under a rotated armature node; measured as drawn they are 2.2 tall.
    EXPECT_NEAR(character->fit().meshHeight, 2.207, 2e-3);
    CharacterPose standing;
    standing.standing = true;
    auto frame = Node::make();
    character->apply(standing, *frame);
    const BoundingBox box = drawnBounds(*character);
    EXPECT_NEAR(box.min.y, 0.0f, 1e-3f);
    EXPECT_NEAR(box.max.y, 2.3f, 1e-3f);
    EXPECT_NEAR(character->bodyHalfWidth(), std::fabs(character->shoulders()[0].x) + 0.2, 1e-6);
    EXPECT_GT(character->armReach(), 0.5);
}

TEST(SkinnedCharacterShared, CesiumManHasNoKnownBonesAndIsPlacedByItsMesh) {
    const auto character = load(TestHumanoids::sharedModel("khronos-cesiumman.glb"));
    if (character == nullptr) GTEST_SKIP() << "shared models absent";
    EXPECT_EQ(character->bones().hips, nullptr);
    EXPECT_TRUE(character->bones().arms.empty());
    EXPECT_TRUE(character->shoulders().empty());
    EXPECT_NEAR(character->fit().baseScale, 2.3 / 1.507, 2e-3);
    const BoundingBox box = drawnBounds(*character);
    EXPECT_NEAR(box.max.y - box.min.y, 2.3f, 1e-3f);
    ASSERT_EQ(character->materials().size(), 1u);
    EXPECT_EQ(character->materials()[0]->diffuse().image->width(), 1024);
}

}  // namespace
}  // namespace plimsa
