#include "platform/render/DrawList.h"

#include "RenderTestScene.h"
#include "platform/render/FrameSignature.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Light.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/Texture.h"

#include <gtest/gtest.h>

namespace plimsa {
namespace {

const glm::mat4 kCameraAtPlusZ = glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, 10));

std::shared_ptr<Node> addBox(Scene& scene, glm::vec3 position, float transparency = 1.0f) {
    std::shared_ptr<Geometry> box = Primitives::box(1, 1, 1, 0);
    box->firstMaterial()->setTransparency(transparency);
    std::shared_ptr<Node> node = Node::make(box);
    node->setPosition(position);
    scene.rootNode().addChildNode(node);
    return node;
}

TEST(DrawList, BlendedDrawsGoFarToNearAndOpaqueOnesNearToFar) {
    std::shared_ptr<Scene> scene = Scene::make();
    addBox(*scene, {0, 0, 2}, 0.5f);
    addBox(*scene, {0, 0, -3}, 0.5f);
    addBox(*scene, {0, 0, 0}, 0.5f);
    addBox(*scene, {0, 0, -4});
    addBox(*scene, {0, 0, 3});
    const DrawList list = DrawList::gather(*scene, kCameraAtPlusZ);
    ASSERT_EQ(list.blended.size(), 3u);
    EXPECT_FLOAT_EQ(list.blended[0].model[3].z, -3.0f);
    EXPECT_FLOAT_EQ(list.blended[1].model[3].z, 0.0f);
    EXPECT_FLOAT_EQ(list.blended[2].model[3].z, 2.0f);
    ASSERT_EQ(list.opaque.size(), 2u);
    EXPECT_FLOAT_EQ(list.opaque[0].model[3].z, 3.0f);
}

TEST(DrawList, SkipsHiddenSubtreesInvisibleMaterialsAndEmptyGeometry) {
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> hidden = addBox(*scene, {0, 0, 0});
    hidden->addChildNode(Node::make(Primitives::sphere(1)));
    hidden->setHidden(true);
    addBox(*scene, {1, 0, 0}, 0.0f);
    scene->rootNode().addChildNode(Node::make(Geometry::make(MeshData{})));
    std::shared_ptr<Node> hiddenLight = Node::make();
    hiddenLight->setLight(Light::make(LightType::ambient));
    hidden->addChildNode(hiddenLight);
    const DrawList list = DrawList::gather(*scene, kCameraAtPlusZ);
    EXPECT_TRUE(list.opaque.empty());
    EXPECT_TRUE(list.blended.empty());
    EXPECT_EQ(list.ambient, glm::vec3(0.0f));
}

TEST(DrawList, LightsBecomeLinearRadianceInWorldSpaceKeepingTheBrightestDirectionalOnes) {
    std::shared_ptr<Scene> scene = Scene::make();
    for (float intensity : {500.0f, 250.0f}) {
        std::shared_ptr<Node> node = Node::make();
        node->setLight(Light::make(LightType::ambient, intensity));
        scene->rootNode().addChildNode(node);
    }
    std::shared_ptr<Node> parent = Node::make();
    parent->setEulerAngles({0, 1.5707963f, 0});  // turns -Z into -X
    std::shared_ptr<Node> sun = Node::make();
    sun->setLight(Light::make(LightType::directional, 2000.0f, glm::vec3(0.5f)));
    parent->addChildNode(sun);
    scene->rootNode().addChildNode(parent);
    const DrawList list = DrawList::gather(*scene, kCameraAtPlusZ);
    EXPECT_FLOAT_EQ(list.ambient.r, 0.75f);
    ASSERT_EQ(list.directionalLights.size(), 1u);
    EXPECT_NEAR(list.directionalLights[0].direction.x, -1.0f, 1e-5f);
    EXPECT_NEAR(list.directionalLights[0].radiance.g, 2.0f * 0.214041f, 1e-3f) << "sRGB 0.5 is linear 0.214";
    // With too many directional lights the brightest are kept.
    std::shared_ptr<Scene> crowded = Scene::make();
    for (int i = 0; i < 12; ++i) {
        std::shared_ptr<Node> node = Node::make();
        node->setLight(Light::make(LightType::directional, 100.0f * (i + 1)));
        crowded->rootNode().addChildNode(node);
    }
    const DrawList brightest = DrawList::gather(*crowded, kCameraAtPlusZ);
    ASSERT_EQ(brightest.directionalLights.size(), DrawList::kMaxDirectionalLights);
    for (const DirectionalLight& light : brightest.directionalLights) EXPECT_GE(light.radiance.r, 0.49f);
}

TEST(DrawList, SkinnedDrawsGetTheirOwnSliceOfTheJointPalette) {
    std::shared_ptr<Scene> scene = Scene::make();
    MeshData mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.joints = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}};
    mesh.weights = {{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}};
    mesh.elements = {{{0, 1, 2}}};
    std::shared_ptr<Node> boneA = Node::make(), boneB = Node::make();
    boneB->setPosition({0, 2, 0});
    scene->rootNode().addChildNode(boneA);
    scene->rootNode().addChildNode(boneB);
    for (int i = 0; i < 2; ++i) {
        std::shared_ptr<Node> node = Node::make(Geometry::make(mesh));
        node->setSkinner(Skinner::make({boneA, boneB}, {}));
        node->setPosition({5, 0, 0});
        scene->rootNode().addChildNode(node);
    }
    const DrawList list = DrawList::gather(*scene, kCameraAtPlusZ);
    ASSERT_EQ(list.opaque.size(), 2u);
    ASSERT_EQ(list.jointMatrices.size(), 4u);
    EXPECT_NE(list.opaque[0].jointOffset, list.opaque[1].jointOffset);
    for (const DrawItem& item : list.opaque) {
        EXPECT_EQ(item.jointCount, 2);
        EXPECT_EQ(item.model, glm::mat4(1.0f)) << "the bones carry the pose, not the node";
        EXPECT_FLOAT_EQ(list.jointMatrices[static_cast<size_t>(item.jointOffset) + 1][3].y, 2.0f);
    }
}

// A lit triangle with a texture, and one skinned to a bone.
struct Frame : test::TestScene {
    std::shared_ptr<Node> bone = Node::make(), node, light = addLight(LightType::directional, 800.0f);
    std::shared_ptr<Texture> texture = Texture::make(Image(2, 2));
    int height = 48;
    Frame() {
        MeshData mesh;
        mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        mesh.joints.assign(3, {0, 0, 0, 0});
        mesh.weights.assign(3, {1, 0, 0, 0});
        mesh.elements = {{{0, 1, 2}}};
        node = add(Geometry::make(mesh), Material::make());  // not skinned: its transform places it
        node->geometry()->firstMaterial()->setDiffuseImage(texture);
        add(Geometry::make(mesh), nullptr)->setSkinner(Skinner::make({bone}, {}));
        scene->rootNode().addChildNode(bone);
    }
    FrameSignature signature() const { return FrameSignature::of(*scene, *camera, 64, height, 2); }
};

TEST(FrameSignature, EveryChangeToWhatThePixelsDependOnMakesAnotherFrameAndNothingElseDoes) {
    const std::pair<const char*, void (*)(Frame&)> changes[] = {
        {"a joint", [](Frame& f) { f.bone->setEulerAngles(glm::vec3(0, 0, 0.01f)); }},
        {"a node's transform", [](Frame& f) { f.node->setPosition(glm::vec3(0, 1e-4f, 0)); }},
        {"a material setting", [](Frame& f) { f.node->geometry()->firstMaterial()->setRoughness(0.7f); }},
        {"a texture's image", [](Frame& f) { f.texture->setImage(Image(2, 2, true)); }},
        {"the camera", [](Frame& f) { f.camera->setPosition(glm::vec3(0, 0, 5.01f)); }},
        {"the size", [](Frame& f) { f.height = 47; }},
        {"a light", [](Frame& f) { f.light->setEulerAngles(glm::vec3(-0.5f, 0.31f, 0.0f)); }},
        {"the background", [](Frame& f) { f.scene->setBackgroundColor(glm::vec4(0, 0, 0, 0.5f)); }},
    };
    for (const auto& [what, change] : changes) {
        Frame frame;
        const FrameSignature before = frame.signature();
        EXPECT_EQ(frame.signature(), before) << "the same frame, before " << what;
        change(frame);
        EXPECT_NE(frame.signature(), before) << what;
    }
}

}  // namespace
}  // namespace plimsa
