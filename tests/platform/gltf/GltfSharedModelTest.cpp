// The two third-party rigs from the shared models folder (skipped when the folder is absent).
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>

#include <set>

namespace plimsa {
namespace {

struct Summary {
    int skinnedMeshes = 0;
    std::set<const Skinner*> skinners;
    std::set<const Texture*> textures;
    BoundingBox bindPose;  // world space, skinned vertices at rest
};

Summary summarise(Scene& scene) {
    Summary summary;
    std::vector<glm::mat4> joints;
    scene.rootNode().enumerateHierarchy([&](Node& node, bool&) {
        const auto& geometry = node.geometry();
        if (!geometry) return;
        for (size_t i = 0; i < geometry->elements().size(); ++i)
            if (geometry->materialForElement(i)->diffuse().hasImage())
                summary.textures.insert(geometry->materialForElement(i)->diffuse().image.get());
        if (!node.skinner()) return;
        ++summary.skinnedMeshes;
        summary.skinners.insert(node.skinner().get());
        node.skinner()->jointMatrices(joints);
        for (size_t v = 0; v < geometry->vertexCount(); ++v)
            summary.bindPose.add(node.skinner()->skinnedPosition(*geometry, v, joints));
    });
    return summary;
}

std::shared_ptr<Scene> loadShared(const std::string& name) {
    const auto path = TestHumanoids::sharedModel(name);
    if (path.empty()) return nullptr;
    const GltfLoadResult result = GltfLoader().loadFile(path);
    EXPECT_TRUE(result) << result.error;
    return result.scene;
}

TEST(GltfSharedModels, KayKitMannequinKeepsItsDotSideBonesAndEightMeshesOnOneSkin) {
    if (TestHumanoids::sharedModel("kaykit-mannequin-medium.glb").empty()) GTEST_SKIP() << "no shared models";
    const auto scene = loadShared("kaykit-mannequin-medium.glb");
    ASSERT_TRUE(scene);
    for (const char* bone : {"hips", "spine", "chest", "head", "upperleg.l", "lowerleg.l", "upperarm.l", "lowerarm.l",
                             "wrist.l", "hand.l", "upperleg.r", "hand.r"})
        EXPECT_TRUE(scene->rootNode().childNodeWithName(bone)) << bone;
    EXPECT_FALSE(scene->rootNode().childNodeWithName("neck"));
    const Summary summary = summarise(*scene);
    EXPECT_EQ(summary.skinnedMeshes, 8);
    EXPECT_EQ(summary.textures.size(), 1u);
    ASSERT_FALSE(summary.textures.empty());
    EXPECT_EQ((*summary.textures.begin())->width(), 512);
    // Chibi proportions, about 2.2 units tall, standing upright on y = 0 once the rotated armature applies.
    EXPECT_NEAR(summary.bindPose.size().y, 2.2f, 0.25f);
    EXPECT_NEAR(summary.bindPose.min.y, 0.0f, 0.1f);
    EXPECT_GT(scene->rootNode().childNodeWithName("head")->worldPosition().y,
              scene->rootNode().childNodeWithName("hips")->worldPosition().y);
}

TEST(GltfSharedModels, CesiumManHasUnknownBoneNamesAJpegTextureAndStandsOnePointFiveTall) {
    if (TestHumanoids::sharedModel("khronos-cesiumman.glb").empty()) GTEST_SKIP() << "no shared models";
    const auto scene = loadShared("khronos-cesiumman.glb");
    ASSERT_TRUE(scene);
    for (const char* bone : {"Skeleton_torso_joint_1", "leg_joint_L_1", "Skeleton_arm_joint_L__4_"})
        EXPECT_TRUE(scene->rootNode().childNodeWithName(bone)) << bone;
    const Summary summary = summarise(*scene);
    EXPECT_EQ(summary.skinnedMeshes, 1);
    ASSERT_EQ(summary.textures.size(), 1u);
    EXPECT_EQ((*summary.textures.begin())->width(), 1024);
    EXPECT_NEAR(summary.bindPose.size().y, 1.5f, 0.1f) << "Z-up data under a rotated root ends up Y-up";
}

}  // namespace
}  // namespace plimsa
