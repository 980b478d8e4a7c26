// The loader on every generated test humanoid: names, hierarchy, skins, extents, textures, deformation.
#include "humanoids/HumanoidSkeleton.h"
#include "humanoids/HumanoidSpec.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>

namespace plimsa {
namespace {

struct LoadedHumanoid {
    HumanoidSpec spec;
    std::shared_ptr<Scene> scene;
    std::shared_ptr<Node> body;
};

LoadedHumanoid load(const std::string& fileName) {
    LoadedHumanoid loaded{HumanoidSpec::named(fileName), nullptr, nullptr};
    const auto path = TestHumanoids::path(fileName);
    const GltfLoadResult result = GltfLoader().loadFile(path);
    EXPECT_TRUE(result) << fileName << ": " << result.error;
    loaded.scene = result.scene;
    if (loaded.scene) loaded.body = loaded.scene->rootNode().childNodeWithName("Body");
    return loaded;
}

HumanoidSkeleton skeletonOf(const HumanoidSpec& spec) {
    return HumanoidSkeleton(spec.fullFingers, spec.pose, spec.naming == BoneNaming::unreal);
}

class EveryHumanoid : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryHumanoid, KeepsBoneNamesAndHierarchy) {
    const LoadedHumanoid h = load(GetParam());
    ASSERT_TRUE(h.scene);
    const HumanoidSkeleton skeleton = skeletonOf(h.spec);
    const auto& joints = skeleton.joints();
    for (size_t i = 0; i < joints.size(); ++i) {
        const std::string name = HumanoidSkeleton::boneName(joints[i].canonical, h.spec.naming, static_cast<int>(i));
        const auto node = h.scene->rootNode().childNodeWithName(name);
        ASSERT_TRUE(node) << name;
        const std::string parent =
            joints[i].parent < 0 ? "Armature"
                                 : HumanoidSkeleton::boneName(joints[static_cast<size_t>(joints[i].parent)].canonical,
                                                              h.spec.naming, joints[i].parent);
        ASSERT_TRUE(node->parent()) << name;
        EXPECT_EQ(node->parent()->name(), parent) << name;
    }
    // Scene roots in file order: the armature, then the mesh node.
    const auto& roots = h.scene->rootNode().childNodes();
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0]->name(), "Armature");
    EXPECT_EQ(roots[1]->name(), "Body");
}

TEST_P(EveryHumanoid, BodyIsOneGeometryWithAnElementPerMaterialAndASkinOverEveryJoint) {
    const LoadedHumanoid h = load(GetParam());
    ASSERT_TRUE(h.body && h.body->geometry());
    const Geometry& geometry = *h.body->geometry();
    ASSERT_EQ(geometry.elements().size(), 5u);
    const char* names[] = {"Skin", "Shirt", "Trousers", "Shoes", "Eyes"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(geometry.materialForElement(i)->name(), names[i]);
    // The five primitives share one set of vertex accessors, so they share vertices.
    const size_t referenced = *std::max_element(geometry.elements()[0].indices.begin(), geometry.elements()[0].indices.end());
    EXPECT_LT(referenced, geometry.vertexCount());
    EXPECT_LT(geometry.vertexCount(), 20000u);

    ASSERT_TRUE(h.body->skinner());
    const Skinner& skinner = *h.body->skinner();
    const HumanoidSkeleton skeleton = skeletonOf(h.spec);
    const auto& joints = skeleton.joints();
    EXPECT_EQ(skinner.boneCount(), joints.size());
    const auto bones = skinner.bones();
    for (size_t i = 0; i < bones.size(); ++i) {
        ASSERT_TRUE(bones[i]) << "bone " << i << " is not in the scene";
        EXPECT_EQ(bones[i]->name(), HumanoidSkeleton::boneName(joints[i].canonical, h.spec.naming, static_cast<int>(i)));
    }
    for (const glm::vec4& w : geometry.mesh().weights) ASSERT_NEAR(w.x + w.y + w.z + w.w, 1.0f, 1e-5f);
}

TEST_P(EveryHumanoid, StandsOnTheFloorAtItsHeightAndRestPoseSkinsToItself) {
    const LoadedHumanoid h = load(GetParam());
    ASSERT_TRUE(h.body && h.body->geometry() && h.body->skinner());
    const Geometry& geometry = *h.body->geometry();
    const float units = h.spec.unitsPerMetre;
    const BoundingBox box = geometry.boundingBox();
    EXPECT_NEAR(box.min.y, 0.0f, 0.002f * units);
    EXPECT_NEAR(box.max.y, 1.8f * units, 0.002f * units);
    EXPECT_NEAR(box.max.x, -box.min.x, 0.002f * units);  // symmetric about x = 0
    // Bind matrices and node transforms agree: at rest every vertex skins to where it is stored.
    const Skinner& skinner = *h.body->skinner();
    for (size_t i = 0; i < geometry.vertexCount(); i += 97) {
        const glm::vec3 skinned = skinner.skinnedPosition(geometry, i);
        ASSERT_LT(glm::length(skinned - geometry.mesh().positions[i]), 1e-3f * units) << "vertex " << i;
    }
}

TEST_P(EveryHumanoid, HasATextureOnlyWhereTheSpecPutOne) {
    const LoadedHumanoid h = load(GetParam());
    ASSERT_TRUE(h.body && h.body->geometry());
    const Geometry& geometry = *h.body->geometry();
    const auto& skin = geometry.materialForElement(0)->diffuse();
    const auto& shirt = geometry.materialForElement(1)->diffuse();
    if (h.spec.textureWidth > 0) {
        ASSERT_TRUE(skin.hasImage());
        EXPECT_EQ(skin.image->width(), h.spec.textureWidth);
        EXPECT_EQ(skin.image->height(), h.spec.textureHeight);
    } else if (h.spec.sharedTexture) {
        ASSERT_TRUE(skin.hasImage());
        EXPECT_EQ(skin.image, shirt.image) << "one image shown by two materials is one texture";
        EXPECT_EQ(skin.contentsTransform, glm::mat4(1.0f));
        EXPECT_FLOAT_EQ(shirt.contentsTransform[0][0], 2.0f);   // KHR_texture_transform scale
        EXPECT_FLOAT_EQ(shirt.contentsTransform[3][0], 0.25f);  // and offset
        EXPECT_EQ(shirt.wrapS, WrapMode::repeat);
    } else {
        for (size_t i = 0; i < geometry.elements().size(); ++i)
            EXPECT_FALSE(geometry.materialForElement(i)->diffuse().hasImage()) << "element " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, EveryHumanoid, ::testing::ValuesIn(TestHumanoids::fileNames()),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.size() - 4);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(GltfHumanoid, RotatedScaledArmatureKeepsWorldPositionsUpright) {
    const LoadedHumanoid h = load("humanoid-rotated-root.glb");
    ASSERT_TRUE(h.scene);
    const auto armature = h.scene->rootNode().childNodeWithName("Armature");
    ASSERT_TRUE(armature);
    EXPECT_NEAR(armature->scale().x, 0.01f, 1e-6f);
    const glm::vec3 up = armature->orientation() * glm::vec3(0, 1, 0);  // -90 degrees about X turns +Y to -Z
    EXPECT_NEAR(up.z, -1.0f, 1e-5f);
    const auto hips = h.scene->rootNode().childNodeWithName("mixamorig:Hips");
    ASSERT_TRUE(hips);
    EXPECT_GT(glm::length(hips->position()), 50.0f) << "bones are in centimetres below the armature";
    const glm::vec3 world = hips->worldPosition();
    EXPECT_NEAR(world.x, 0.0f, 1e-4f);
    EXPECT_NEAR(world.y, 0.98f, 1e-4f);
    EXPECT_NEAR(world.z, 0.0f, 1e-4f);
}

TEST(GltfHumanoid, APoseLowersTheArmsThroughTheUpperArmRestRotation) {
    const LoadedHumanoid h = load("humanoid-a-pose.glb");
    ASSERT_TRUE(h.scene);
    const auto arm = h.scene->rootNode().childNodeWithName("mixamorig:LeftArm");
    const auto hand = h.scene->rootNode().childNodeWithName("mixamorig:LeftHand");
    ASSERT_TRUE(arm && hand);
    EXPECT_NEAR(glm::degrees(glm::angle(arm->orientation())), 40.0f, 0.01f);
    EXPECT_LT(hand->worldPosition().y, arm->worldPosition().y - 0.3f);
    EXPECT_GT(hand->worldPosition().x, arm->worldPosition().x + 0.3f);  // the character's left is +X
}

TEST(GltfHumanoid, FullFingerRigHas65JointsAndTheMiddleFingerIsNotTheFirstChild) {
    const LoadedHumanoid h = load("humanoid-65-joints.glb");
    ASSERT_TRUE(h.body && h.body->skinner());
    EXPECT_EQ(h.body->skinner()->boneCount(), 65u);
    const auto hand = h.scene->rootNode().childNodeWithName("mixamorig:RightHand");
    ASSERT_TRUE(hand);
    ASSERT_EQ(hand->childNodes().size(), 5u);
    EXPECT_EQ(hand->childNodes()[0]->name(), "mixamorig:RightHandThumb1");
    EXPECT_EQ(hand->childNodes()[2]->name(), "mixamorig:RightHandMiddle1");
}

// Bending the elbow 90 degrees moves the forearm and hand while no mesh edge stretches: the weights
// blend across the joint instead of tearing the surface.
TEST(GltfHumanoid, BendingAJointDeformsTheSurfaceSmoothly) {
    const LoadedHumanoid h = load("humanoid-mixamo-colon.glb");
    ASSERT_TRUE(h.body && h.body->skinner());
    const Geometry& geometry = *h.body->geometry();
    const Skinner& skinner = *h.body->skinner();
    const auto forearm = h.scene->rootNode().childNodeWithName("mixamorig:LeftForeArm");
    const auto hand = h.scene->rootNode().childNodeWithName("mixamorig:LeftHand");
    ASSERT_TRUE(forearm && hand);
    const glm::vec3 handBefore = hand->worldPosition();
    forearm->setOrientation(glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0)) * forearm->orientation());
    EXPECT_GT(glm::length(hand->worldPosition() - handBefore), 0.3f);

    std::vector<glm::mat4> joints;
    skinner.jointMatrices(joints);
    float worstStretch = 0.0f;
    bool handMoved = false;
    const auto& rest = geometry.mesh().positions;
    for (const GeometryElement& element : geometry.elements()) {
        for (size_t t = 0; t + 2 < element.indices.size(); t += 3) {
            for (int e = 0; e < 3; ++e) {
                const uint32_t a = element.indices[t + static_cast<size_t>(e)];
                const uint32_t b = element.indices[t + static_cast<size_t>((e + 1) % 3)];
                const float before = glm::length(rest[a] - rest[b]);
                const float after = glm::length(skinner.skinnedPosition(geometry, a, joints) -
                                                skinner.skinnedPosition(geometry, b, joints));
                if (before > 1e-4f) worstStretch = std::max(worstStretch, after / before);
                handMoved = handMoved || glm::length(skinner.skinnedPosition(geometry, a, joints) - rest[a]) > 0.2f;
            }
        }
    }
    EXPECT_TRUE(handMoved);
    EXPECT_LT(worstStretch, 2.5f);
}

}  // namespace
}  // namespace plimsa
