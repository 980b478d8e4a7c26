#include "SkinnedTestModels.h"

#include "character/BoneFinder.h"
#include "platform/scene/Material.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Texture.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Every generated rig, whatever its naming, rest pose, units or root, is measured the same way.
class EveryRig : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        character = humanoid(GetParam());
        ASSERT_NE(character, nullptr);
    }
    std::unique_ptr<SkinnedCharacter> character;
};

TEST_P(EveryRig, FindsEveryBoneLeftSideFirstAndSeatsTheHipsAtTheFittedScale) {
    const SkeletonBones& bones = character->bones();
    EXPECT_NE(bones.spine, nullptr);
    ASSERT_NE(bones.hips, nullptr);
    ASSERT_NE(bones.head, nullptr);
    EXPECT_EQ(character->headNode().get(), bones.head);
    ASSERT_EQ(bones.legs.size(), 2u);
    ASSERT_EQ(bones.arms.size(), 2u);
    // The character faces +Z, so its left side is at +X.
    EXPECT_GT(inRig(*character, *bones.legs[0].thigh).x, 0.0f);
    EXPECT_LT(inRig(*character, *bones.legs[1].thigh).x, 0.0f);
    // The hand points at a finger's knuckle: the middle one when several fingers are told apart by name.
    for (const SkeletonBones::Arm& arm : bones.arms) {
        ASSERT_NE(arm.handEnd, nullptr);
        EXPECT_EQ(arm.handEnd->parent(), arm.hand);
        if (arm.fingers.empty() && arm.hand->childNodes().size() > 1) {
            EXPECT_NE(BoneFinder::normalise(arm.handEnd->name()).find("middle"), std::string::npos);
        }
    }

    EXPECT_FLOAT_EQ(character->model()->scale().x, static_cast<float>(character->fit().baseScale));
    const glm::vec3 hips = inRig(*character, *bones.hips);
    EXPECT_NEAR(hips.x, 0.0f, 1e-4f);
    EXPECT_NEAR(hips.y, kScale * kLift, 1e-4f);
    EXPECT_NEAR(hips.z, -0.06f, 1e-4f);

    const std::vector<glm::vec3> shoulders = character->shoulders();
    ASSERT_EQ(shoulders.size(), 2u);
    const float shoulderY = static_cast<float>(kScale * (kShoulderY - kHipY + kLift));
    for (size_t i : {0u, 1u}) {
        EXPECT_NEAR(shoulders[i].x, (i == 0 ? 1 : -1) * kScale * kShoulderX, 1e-4f);
        EXPECT_NEAR(shoulders[i].y, shoulderY, 1e-4f);
    }
    EXPECT_NEAR(character->bodyHalfWidth(), kScale * kShoulderX + 0.2, 1e-4);
    EXPECT_NEAR(character->armReach(), kScale * kArmLength, 1e-3);
}

TEST_P(EveryRig, StandsTwoPointThreeTallMatteAndGrabbable) {
    CharacterPose pose;
    pose.standing = true;
    pose.handLeft = pose.handRight = HandMode::loose;
    auto frame = Node::make();
    character->apply(pose, *frame);
    const BoundingBox box = drawnBounds(*character);
    EXPECT_NEAR(box.min.y, 0.0f, 1e-3f);
    EXPECT_NEAR(box.max.y, 2.3f, 1e-3f);

    ASSERT_FALSE(character->materials().empty());
    const std::set<std::shared_ptr<Material>> distinct(character->materials().begin(),
                                                       character->materials().end());
    EXPECT_EQ(distinct.size(), character->materials().size());
    for (const auto& material : character->materials()) {
        EXPECT_EQ(material->metalness(), 0.0f);
        EXPECT_FALSE(material->normal().hasImage());
    }
    size_t meshes = 0;
    character->model()->enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry() == nullptr) return;
        ++meshes;
        EXPECT_EQ(node.name(), "grab");
    });
    EXPECT_GT(meshes, 0u);
}

// Every generated rig of the standard skeleton, its bones found by names, the VRM map or the skeleton's
// shape; the 4096 px texture variant (slow to decode) has the skeleton of mixamo-colon and its own test
// below, and the chibi's proportions are its own.
std::vector<std::string> quickHumanoids() {
    std::vector<std::string> names = TestHumanoids::fileNames();
    std::erase_if(names, [](const std::string& name) {
        return name == "humanoid-texture-4096.glb" || name == "humanoid-chibi.glb";
    });
    return names;
}

INSTANTIATE_TEST_SUITE_P(GeneratedSet, EveryRig, ::testing::ValuesIn(quickHumanoids()), rigName);

TEST(SkinnedCharacterLoad, AdoptsTheWholeSceneUnderRootAndModelAndPlacesABonelessOneByItsMeshes) {
    const GltfLoadResult loaded = GltfLoader().loadFile(TestHumanoids::path("humanoid-mixamo-colon.glb"));
    ASSERT_TRUE(loaded);
    const size_t topLevel = loaded.scene->rootNode().childNodes().size();
    SkinnedCharacter character(*loaded.scene);
    EXPECT_TRUE(loaded.scene->rootNode().childNodes().empty());
    EXPECT_EQ(character.root()->name(), "Root");
    ASSERT_EQ(character.root()->childNodes().size(), 1u);
    EXPECT_EQ(character.root()->childNodes().front(), character.model());
    EXPECT_EQ(character.model()->childNodes().size(), topLevel);
    // A model without bones (the unnamed humanoid baked into one mesh) is placed by its meshes alone.
    const GltfLoadResult unnamed = GltfLoader().loadFile(TestHumanoids::path("humanoid-no-bones.glb"));
    ASSERT_TRUE(unnamed);
    const auto flat = Scene::make();
    flat->rootNode().addChildNode(unnamed.scene->rootNode().flattenedClone());
    const auto boneless = std::make_unique<SkinnedCharacter>(*flat);
    EXPECT_EQ(boneless->bones().hips, nullptr);
    EXPECT_TRUE(boneless->bones().legs.empty());
    EXPECT_TRUE(boneless->bones().arms.empty());
    EXPECT_EQ(boneless->headNode(), boneless->root());
    EXPECT_EQ(boneless->bodyHalfWidth(), 0.45);
    EXPECT_TRUE(boneless->shoulders().empty());
    EXPECT_EQ(boneless->armReach(), 0.55);
    EXPECT_NEAR(boneless->fit().baseScale, kScale, 1e-4);
    // Seated without hips: the model's origin (its feet) sits 0.08 of its bone height above the seat.
    const BoundingBox seated = drawnBounds(*boneless);
    EXPECT_NEAR(seated.max.y - seated.min.y, 2.3f, 1e-3f);
    EXPECT_GT(seated.min.y, 0.0f);
    // Posing moves nothing but size and place.
    auto frame = Node::make();
    CharacterPose pose;
    pose.leg = 0.8;
    boneless->apply(pose, *frame);
    const BoundingBox posed = drawnBounds(*boneless);
    EXPECT_NEAR(posed.min.y, seated.min.y, 1e-4f);
    EXPECT_NEAR(posed.max.z, seated.max.z, 1e-4f);
}

TEST(SkinnedCharacterLoad, BigTexturesAreShrunkToTheCapAndSharedOnesStayShared) {
    const auto character = humanoid("humanoid-texture-4096.glb");
    ASSERT_NE(character, nullptr);
    std::set<std::pair<int, int>> sizes;
    for (const auto& material : character->materials()) {
        if (const auto& image = material->diffuse().image) sizes.insert({image->width(), image->height()});
    }
    EXPECT_EQ(sizes, (std::set<std::pair<int, int>>{{1024, 512}}));
    EXPECT_EQ(character->bones().arms.size(), 2u);
    EXPECT_NEAR(character->fit().baseScale, kScale, 1e-4);
    // A shared texture stays shared and each material is listed once.
    const auto blender = humanoid("humanoid-blender.glb");
    ASSERT_NE(blender, nullptr);
    std::vector<const Texture*> textures;
    for (const auto& material : blender->materials()) {
        if (material->diffuse().image) textures.push_back(material->diffuse().image.get());
    }
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[0], textures[1]);
}

TEST(SkinnedCharacterLoad, PrintsOneSummaryLineAndTheProportionsOnlyInDebugMode) {
    std::string quiet;
    {
        const testing::ScopedEnvironment off{"PLIMSA_DEBUG"};
        ::testing::internal::CaptureStdout();
        const auto character = humanoid("humanoid-unreal.glb");
        quiet = ::testing::internal::GetCapturedStdout();
        ASSERT_NE(character, nullptr);
        EXPECT_EQ(quiet, BoneFinder::summary(character->bones()) + "\n");
    }
    const testing::ScopedEnvironment on{"PLIMSA_DEBUG", ""};  // set, even empty, is on
    ::testing::internal::CaptureStdout();
    const auto character = humanoid("humanoid-unreal.glb");
    const std::string debug = ::testing::internal::GetCapturedStdout();
    ASSERT_NE(character, nullptr);
    EXPECT_TRUE(debug.starts_with(quiet)) << debug;
    EXPECT_NE(debug.find("\n" + character->fit().proportionsLine() + "\n"), std::string::npos) << debug;
    // Then a line for each arm and each thigh.
    EXPECT_EQ(std::count(debug.begin(), debug.end(), '\n'), 2 + 2 + 2) << debug;
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

TEST(SkinnedCharacterFit,
     MeshOfOnePointEightScaledByTwoPointThreeOverItTwoBonesTakeTheMeshTopGarbageTheBones) {
    auto scene = sceneWithMesh(1.8f, {"Hips", "Spine", "Head"});
    const SkinnedCharacter character(*scene);
    EXPECT_NEAR(character.fit().baseScale, 2.3 / 1.8, 1e-5);
    EXPECT_NEAR(character.fit().standingPosition.y, 0.0f, 1e-5f);
    // Hips at 0.1; with fewer than three bones the top is the mesh top, 1.5.
    const SkinnedCharacter twoBones(*sceneWithMesh(1.5f, {"Hips", "Head"}));
    EXPECT_NEAR(twoBones.fit().hipsToCrown, 1.4, 1e-5);
    // Not two legs: the lift is 0.08 of hips-to-crown.
    EXPECT_NEAR(twoBones.fit().basePosition.y, 2.3 / 1.5 * (0.08 * 1.4 - 0.1), 1e-5);
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

TEST(SkinnedCharacterFit, MaterialsSharedByManyMeshesAreMadeMatteOnce) {
    auto scene = Scene::make();
    auto red = Material::make(glm::vec3(1, 0, 0), 0.3f, 0.8f);
    auto blue = Material::make(glm::vec3(0, 0, 1), 0.2f, 0.9f);
    for (int i = 0; i < 4; ++i) {
        auto geometry = Primitives::box(0.2f, 0.2f, 0.2f, 0.0f);
        geometry->setMaterials({i % 2 == 0 ? red : blue, red});
        scene->rootNode().addChildNode(Node::make(geometry, "Part" + std::to_string(i)));
    }
    const SkinnedCharacter character(*scene);
    EXPECT_EQ(character.materials(), (std::vector<std::shared_ptr<Material>>{red, blue}));
    for (const auto& material : {red, blue}) {
        EXPECT_EQ(material->metalness(), 0.0f);
        EXPECT_EQ(material->roughness(), 1.0f);
    }
}

}  // namespace
}  // namespace plimsa
