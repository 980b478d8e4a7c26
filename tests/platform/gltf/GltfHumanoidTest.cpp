// The loader on every generated test humanoid: names, hierarchy, skins, materials, textures.
#include "GltfTestDocument.h"
#include "humanoids/HumanoidSkeleton.h"
#include "humanoids/HumanoidSpec.h"
#include "humanoids/HumanoidVariants.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace plimsa {
namespace {

class EveryHumanoid : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryHumanoid, KeepsItsSkeletonMaterialsSkinAndTextures) {
    const HumanoidSpec spec = HumanoidSpec::named(GetParam());
    const GltfLoadResult result = GltfLoader().loadFile(TestHumanoids::path(GetParam()));
    ASSERT_TRUE(result) << result.error;
    const auto& scene = result.scene;
    // Scene roots in file order, every bone under its parent, and the skin over every joint in order.
    const auto& roots = scene->rootNode().childNodes();
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0]->name(), "Armature");
    ASSERT_EQ(roots[1]->name(), "Body");
    const Node& body = *roots[1];
    ASSERT_TRUE(body.geometry() && body.skinner());
    const HumanoidSkeleton skeleton = HumanoidSkeleton::of(spec);
    const auto& joints = skeleton.joints();
    const auto name = [&](int i) {
        return i < 0 ? std::string("Armature")
                     : HumanoidSkeleton::boneName(joints[static_cast<size_t>(i)].canonical, spec.naming, i);
    };
    const auto bones = body.skinner()->bones();
    ASSERT_EQ(bones.size(), joints.size());
    for (size_t i = 0; i < joints.size(); ++i) {
        ASSERT_TRUE(bones[i] && bones[i]->parent()) << "bone " << i;
        EXPECT_EQ(bones[i]->name(), name(static_cast<int>(i)));
        EXPECT_EQ(bones[i]->parent()->name(), name(joints[i].parent));
    }
    // One geometry, an element per material, weights normalised.
    const Geometry& geometry = *body.geometry();
    ASSERT_EQ(geometry.elements().size(), 5u);
    const char* materials[] = {"Skin", "Shirt", "Trousers", "Shoes", "Eyes"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(geometry.materialForElement(i)->name(), materials[i]);
    for (const glm::vec4& w : geometry.mesh().weights) ASSERT_NEAR(w.x + w.y + w.z + w.w, 1.0f, 1e-5f);
    // Bind matrices and node transforms agree, so at rest every vertex skins to where it is stored.
    const float units = spec.unitsPerMetre;
    for (size_t i = 0; i < geometry.vertexCount(); i += 97)
        ASSERT_LT(glm::length(body.skinner()->skinnedPosition(geometry, i) - geometry.mesh().positions[i]),
                  1e-3f * units);
    // A texture only where the humanoid asks for one; one image shown by two materials is one texture.
    const MaterialProperty& skin = geometry.materialForElement(0)->diffuse();
    const MaterialProperty& shirt = geometry.materialForElement(1)->diffuse();
    const bool avatar = spec.format == HumanoidFormat::vrm0 || spec.format == HumanoidFormat::vrm1;
    if (spec.textureWidth > 0 || avatar) {
        ASSERT_TRUE(skin.hasImage());
        EXPECT_EQ(skin.image->width(), avatar ? 256 : spec.textureWidth);
        EXPECT_EQ(skin.image->height(), avatar ? 128 : spec.textureHeight);
        // VRM 0.x: the shirt's texture and colour come from its toon properties alone.
        if (spec.format == HumanoidFormat::vrm0) {
            EXPECT_EQ(shirt.image, skin.image);
            EXPECT_NEAR(geometry.materialForElement(1)->multiply().color.b, 0.75f, 1e-3f);
        }
    } else if (spec.sharedTexture) {
        EXPECT_EQ(skin.image, shirt.image);
        EXPECT_TRUE(skin.hasImage());
        EXPECT_FLOAT_EQ(shirt.contentsTransform[0][0], 2.0f);   // KHR_texture_transform scale
        EXPECT_FLOAT_EQ(shirt.contentsTransform[3][0], 0.25f);  // and offset
    } else {
        for (size_t i = 0; i < geometry.elements().size(); ++i)
            EXPECT_FALSE(geometry.materialForElement(i)->diffuse().hasImage()) << "element " << i;
    }
    EXPECT_EQ(hasWarning(result, "skin-pattern.png"), spec.format == HumanoidFormat::gltfMissingImage);

    // The VRM map names each mapped joint's own node, on the side the character's left lies.
    ASSERT_EQ(result.humanoid.has_value(), avatar);
    if (!avatar) return;
    const GltfHumanoid& map = *result.humanoid;
    EXPECT_EQ(map.facesMinusZ(), spec.format == HumanoidFormat::vrm0);
    size_t mapped = 0;
    for (size_t i = 0; i < joints.size(); ++i) {
        const std::string bone = vrmBoneName(joints[i].canonical, spec.format);
        if (bone.empty()) continue;
        ++mapped;
        EXPECT_EQ(map.bone(bone), bones[i].get()) << bone;
    }
    EXPECT_EQ(mapped, 52u);
    EXPECT_EQ(map.bones.size(), mapped);
    const float front = map.facesMinusZ() ? -1.0f : 1.0f;
    EXPECT_GT(map.bone("leftUpperLeg")->worldPosition().x * front, 0.05f);
    EXPECT_GT(map.bone("leftToes")->worldPosition().z * front, 0.05f);
}

INSTANTIATE_TEST_SUITE_P(Generated, EveryHumanoid, ::testing::ValuesIn(TestHumanoids::fileNames()),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.rfind('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace plimsa
