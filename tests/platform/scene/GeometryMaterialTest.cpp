#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Texture.h"

#include "support/Near.h"

#include <glm/gtc/matrix_transform.hpp>

namespace plimsa {
namespace {

using testing::near;

MeshData triangleWithExtras() {
    MeshData mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}};
    mesh.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    mesh.elements = {GeometryElement{{0, 1, 2}}};
    return mesh;
}

TEST(Geometry, SanitizesDataFromUntrustedFilesAndDescribesThePresentArrays) {
    MeshData mesh = triangleWithExtras();
    mesh.texcoords = {{0, 0}};                                 // wrong length: dropped
    mesh.joints = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};  // without weights: dropped
    mesh.positions.push_back({std::numeric_limits<float>::infinity(), 0, 0});
    mesh.normals.push_back({0, 0, 1});
    mesh.elements.push_back(
        GeometryElement{{0, 1, 3, 0, 1, 7, 2, 1}});  // one good, one out of range, a stray pair
    const auto geometry = Geometry::make(mesh);
    const MeshData& clean = geometry->mesh();
    EXPECT_TRUE(clean.texcoords.empty());
    EXPECT_TRUE(clean.joints.empty());
    EXPECT_EQ(clean.normals.size(), 4u);
    EXPECT_EQ(clean.positions[3], glm::vec3(0.0f));
    ASSERT_EQ(clean.elements.size(), 2u);
    EXPECT_EQ(clean.elements[1].indices, (std::vector<uint32_t>{0, 1, 3}));
    EXPECT_TRUE(near(geometry->boundingBox().max, {1, 2, 0}));
    MeshData fine = triangleWithExtras();
    EXPECT_TRUE(fine.sanitize());
    // The sources describe the arrays that are present.
    fine.weights = {{1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {std::nanf(""), -1, 0, 0}};
    fine.joints = {{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}};
    const auto skinned = Geometry::make(fine);
    const auto sources = skinned->geometrySources();
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_EQ(sources[0].description(), "vertex x 3");
    EXPECT_EQ(sources[2].description(), "boneIndices x 3");
    EXPECT_EQ(skinned->mesh().weights[2], glm::vec4(0.0f));  // unusable weights are zeroed, not kept
}

TEST(Geometry, IdentityIsStableRevisionsCountChangesAndMaterialsCycleWithoutRunningOut) {
    const auto a = Primitives::sphere(1, 8);
    const auto b = Primitives::sphere(1, 8);
    EXPECT_NE(a->identity(), b->identity());
    const uint64_t identity = a->identity();
    const uint64_t revision = a->revision();
    const uint64_t materialsRevision = a->materialsRevision();
    a->setMaterials({Material::make(), Material::make()});
    EXPECT_EQ(a->revision(), revision);  // the buffers stay valid
    EXPECT_GT(a->materialsRevision(), materialsRevision);
    a->setMesh(triangleWithExtras());
    EXPECT_GT(a->revision(), revision);
    EXPECT_EQ(a->identity(), identity);
    EXPECT_TRUE(near(a->boundingBox().max, {1, 2, 0}));
    // Materials cycle over the elements and never run out.
    MeshData mesh = triangleWithExtras();
    mesh.elements.push_back(mesh.elements.front());
    mesh.elements.push_back(mesh.elements.front());
    auto red = Material::make({1, 0, 0}, 0.5f, 0);
    auto blue = Material::make({0, 0, 1}, 0.5f, 0);
    const auto geometry = Geometry::make(mesh, {red, nullptr, blue});
    EXPECT_EQ(geometry->materials().size(), 2u);
    EXPECT_EQ(geometry->materialForElement(2), red);
    geometry->setMaterials({});
    ASSERT_EQ(geometry->materials().size(), 1u);
    EXPECT_NE(geometry->firstMaterial(), nullptr);
    geometry->setFirstMaterial(blue);
    EXPECT_EQ(geometry->materialForElement(1), blue);
}

TEST(Material, SettersBumpRevisionAndClampValuesAndBlendingFollowsTransparencyAndTextureAlpha) {
    const auto material = Material::make();
    uint64_t revision = material->revision();
    const auto bumped = [&] {
        const bool changed = material->revision() > revision;
        revision = material->revision();
        return changed;
    };
    material->setRoughness(4.0f);
    EXPECT_TRUE(bumped());
    EXPECT_FLOAT_EQ(material->roughness(), 1.0f);
    material->setMetalness(std::nanf(""));
    EXPECT_TRUE(bumped());
    EXPECT_FLOAT_EQ(material->metalness(), 0.0f);
    material->setDiffuseContentsTransform(glm::scale(glm::mat4(1.0f), glm::vec3(2.5f, 0.36f, 1)));
    EXPECT_TRUE(bumped());
    material->setDiffuseWrap(WrapMode::repeat, WrapMode::repeat);
    EXPECT_TRUE(bumped());
    material->clearNormal();
    EXPECT_TRUE(bumped());
    const glm::mat3 uv = material->diffuse().uvTransform();
    EXPECT_TRUE(near(uv * glm::vec3(1, 1, 1), {2.5f, 0.36f, 1}));
    const auto copy = material->copy();
    EXPECT_NE(copy->identity(), material->identity());
    EXPECT_FLOAT_EQ(copy->roughness(), 1.0f);
    // Blending follows the transparency and the texture alpha.
    const auto blend = Material::make();
    blend->setTransparency(0.82f);
    EXPECT_TRUE(blend->needsBlending());
    blend->setTransparency(1.0f);
    Image leaf(2, 2);
    leaf.pixels.assign(16, 255);
    leaf.pixels[3] = 0;  // one transparent pixel
    const auto texture = Texture::make(leaf, "leaf");
    blend->setDiffuseImage(texture);
    EXPECT_TRUE(blend->needsBlending());
    blend->setTransparencyMode(TransparencyMode::opaque);
    EXPECT_FALSE(blend->needsBlending());
    blend->setTransparencyMode(TransparencyMode::aOne);
    blend->setAlphaCutoff(0.5f);
    EXPECT_FALSE(blend->needsBlending());
    blend->setAlphaCutoff(std::nullopt);
    const uint64_t textureRevision = texture->revision();
    leaf.pixels[3] = 255;
    texture->setImage(leaf);
    EXPECT_GT(texture->revision(), textureRevision);
    EXPECT_FALSE(blend->needsBlending());
    blend->setDiffuseColor({1, 1, 1, 0.5f});  // replaces the image
    EXPECT_FALSE(blend->diffuse().hasImage());
    EXPECT_TRUE(blend->needsBlending());
}

}  // namespace
}  // namespace plimsa
