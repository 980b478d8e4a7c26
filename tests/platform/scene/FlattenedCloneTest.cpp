#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"

#include "support/Near.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace plimsa {
namespace {

using testing::near;

constexpr float kPi = glm::pi<float>();

// The world positions of every vertex of every geometry in a subtree, in walk order.
std::vector<glm::vec3> worldVertices(Node& root) {
    std::vector<glm::vec3> result;
    root.enumerateHierarchy([&](Node& node, bool&) {
        if (node.geometry()) {
            for (const glm::vec3& p : node.geometry()->mesh().positions)
                result.push_back(node.convertPosition(p, nullptr));
        }
    });
    return result;
}

TEST(FlattenedClone, KeepsWorldSpaceVerticesGroupsByMaterialAndNormalsFollowScaleAndMirroring) {
    auto parent = Node::make();
    parent->setPosition({0.5f, -1, 2});
    auto original = Node::make("links");
    parent->addChildNode(original);
    original->setPosition({1, 2, 3});
    original->setEulerAngles({0.2f, 0.3f, 0});
    auto link = Primitives::torus(0.026f, 0.007f, 24, 10);
    auto other = Material::make({1, 0, 0}, 0.5f, 0);
    for (int i = 0; i < 4; ++i) {
        auto node = Node::make(i == 3 ? Primitives::box(0.1f, 0.1f, 0.1f, 0.01f) : link);
        if (i == 3) {
            node->geometry()->setMaterials({other});
        }
        node->setPosition({0, -0.05f * static_cast<float>(i), 0});
        node->setScale({0.7f, 1.0f, 1.3f});
        node->setEulerAngles({kPi / 2, i % 2 ? kPi / 2 : 0.0f, 0});
        original->addChildNode(node);
    }

    const auto clone = original->flattenedClone();
    ASSERT_NE(clone->geometry(), nullptr);
    EXPECT_TRUE(clone->childNodes().empty());
    EXPECT_EQ(clone->name(), "links");
    EXPECT_TRUE(near(clone->position(), original->position()));
    parent->addChildNode(clone);
    const std::vector<glm::vec3> flattened = worldVertices(*clone);
    const std::vector<glm::vec3> separate = worldVertices(*original);
    ASSERT_EQ(flattened.size(), separate.size());
    for (size_t i = 0; i < flattened.size(); ++i)
        ASSERT_TRUE(near(flattened[i], separate[i], 1e-5f)) << "vertex " << i;

    const Geometry& merged = *clone->geometry();
    ASSERT_EQ(merged.elements().size(), 2u);
    ASSERT_EQ(merged.materials().size(), 2u);
    EXPECT_EQ(merged.materials()[0], link->firstMaterial());
    EXPECT_EQ(merged.materials()[1], other);
    EXPECT_EQ(merged.elements()[0].primitiveCount(), 3 * link->elements()[0].primitiveCount());
    EXPECT_EQ(merged.mesh().texcoords.size(), merged.vertexCount());
    // Normals follow a non-uniform scale; mirroring keeps the front faces.
    auto mixed = Node::make();
    auto squashed = Node::make(Primitives::sphere(1.0f, 16));
    squashed->setScale({2.0f, 0.5f, 1.0f});
    auto mirrored = Node::make(Primitives::box(1, 1, 1, 0));
    mirrored->setScale({-1.0f, 1.0f, 1.0f});
    mirrored->setPosition({5, 0, 0});
    mixed->addChildNode(squashed);
    mixed->addChildNode(mirrored);
    const auto mixedClone = mixed->flattenedClone();
    const MeshData& mesh = mixedClone->geometry()->mesh();
    size_t onEllipsoid = 0;
    for (size_t i = 0; i < mesh.vertexCount(); ++i) {
        const glm::vec3 p = mesh.positions[i];
        if (p.x >= 3.0f) continue;  // the mirrored box
        ++onEllipsoid;
        // On the ellipsoid x^2/4 + y^2/0.25 + z^2 = 1 the normal is along the gradient.
        const glm::vec3 gradient = glm::normalize(glm::vec3(p.x / 4.0f, p.y / 0.25f, p.z));
        ASSERT_TRUE(near(mesh.normals[i], gradient, 1e-4f));
    }
    EXPECT_EQ(onEllipsoid, squashed->geometry()->vertexCount());
    for (const GeometryElement& element : mesh.elements) {
        for (size_t i = 0; i + 2 < element.indices.size(); i += 3) {
            const glm::vec3 a = mesh.positions[element.indices[i]];
            const glm::vec3 face = glm::cross(mesh.positions[element.indices[i + 1]] - a,
                                              mesh.positions[element.indices[i + 2]] - a);
            ASSERT_GT(glm::dot(face, mesh.normals[element.indices[i]]), 0.0f);
        }
    }
}

TEST(FlattenedClone, LeavesOutHiddenSubtreesKeepsThePivotAndDropsSkinsMakingMissingNormals) {
    auto original = Node::make("parts");
    original->setPivot(glm::translate(glm::mat4(1.0f), glm::vec3(0, -0.5f, 0)));
    auto hiddenParent = Node::make();
    hiddenParent->setHidden(true);
    hiddenParent->addChildNode(Node::make(Primitives::sphere(1)));
    original->addChildNode(hiddenParent);
    original->addChildNode(Node::make());
    EXPECT_EQ(original->flattenedClone()->geometry(), nullptr) << "nothing shown: an empty node";
    EXPECT_EQ(original->flattenedClone()->name(), "parts");
    auto shown = Node::make(Primitives::plane(1, 1));
    original->addChildNode(shown);
    const auto clone = original->flattenedClone();
    EXPECT_EQ(clone->geometry()->vertexCount(), shown->geometry()->vertexCount());
    EXPECT_EQ(clone->pivot(), original->pivot());
    EXPECT_TRUE(near(clone->convertPosition({0, -0.5f, 0}, nullptr), {0, 0, 0}));
    // Skinned parts lose their skin and missing normals are made.
    MeshData mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.joints = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
    mesh.weights = {{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}};
    mesh.elements = {GeometryElement{{0, 1, 2}}};
    auto skinned = Node::make(Geometry::make(mesh));
    const auto bare = skinned->flattenedClone();
    const MeshData& merged = bare->geometry()->mesh();
    EXPECT_TRUE(merged.joints.empty());
    EXPECT_TRUE(merged.weights.empty());
    ASSERT_EQ(merged.normals.size(), 3u);
    EXPECT_TRUE(near(merged.normals[0], {0, 0, 1}));
    EXPECT_TRUE(merged.texcoords.empty());
}

}  // namespace
}  // namespace plimsa
