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

struct SharedModel {
    const char* file;
    std::vector<const char*> bones;
    int skinnedMeshes;
    int textureWidth;  // of the one texture
    float height;      // of the skinned bind pose, upright in world space
};

TEST(GltfSharedModels, LoadWithTheirBonesSkinsTextureAndUprightSize) {
    const SharedModel models[] = {
        // Dotted side suffixes, eight meshes on one skin, chibi proportions under a rotated armature.
        {"kaykit-mannequin-medium.glb",
         {"hips", "spine", "chest", "head", "upperleg.l", "lowerarm.l", "wrist.l", "hand.l", "upperleg.r",
          "hand.r"},
         8,
         512,
         2.2f},
        // Bone names no convention knows, a JPEG texture, Z-up data under a rotated root.
        {"khronos-cesiumman.glb",
         {"Skeleton_torso_joint_1", "leg_joint_L_1", "Skeleton_arm_joint_L__4_"},
         1,
         1024,
         1.5f},
    };
    for (const SharedModel& model : models) {
        SCOPED_TRACE(model.file);
        const auto path = TestHumanoids::sharedModel(model.file);
        if (path.empty()) GTEST_SKIP() << "no shared models";
        const GltfLoadResult result = GltfLoader().loadFile(path);
        ASSERT_TRUE(result) << result.error;
        const Node& root = result.scene->rootNode();
        for (const char* bone : model.bones) EXPECT_TRUE(root.childNodeWithName(bone)) << bone;
        int skinnedMeshes = 0;
        std::set<const Texture*> textures;
        std::set<const glm::mat4*> inverseBinds;  // one copy per skin
        BoundingBox bindPose;
        std::vector<glm::mat4> joints;
        result.scene->rootNode().enumerateHierarchy([&](Node& node, bool&) {
            const auto& geometry = node.geometry();
            if (!geometry) return;
            for (size_t i = 0; i < geometry->elements().size(); ++i)
                if (geometry->materialForElement(i)->diffuse().hasImage())
                    textures.insert(geometry->materialForElement(i)->diffuse().image.get());
            if (!node.skinner()) return;
            ++skinnedMeshes;
            inverseBinds.insert(node.skinner()->boneInverseBindTransforms().data());
            node.skinner()->jointMatrices(joints);
            for (size_t v = 0; v < geometry->vertexCount(); ++v)
                bindPose.add(node.skinner()->skinnedPosition(*geometry, v, joints));
        });
        EXPECT_EQ(skinnedMeshes, model.skinnedMeshes);
        EXPECT_EQ(inverseBinds.size(), 1u);
        ASSERT_EQ(textures.size(), 1u);
        EXPECT_EQ((*textures.begin())->width(), model.textureWidth);
        EXPECT_NEAR(bindPose.size().y, model.height, 0.1f * model.height);
        EXPECT_NEAR(bindPose.min.y, 0.0f, 0.1f);
    }
}

}  // namespace
}  // namespace plimsa
