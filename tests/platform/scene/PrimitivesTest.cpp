#include "platform/scene/Geometry.h"
#include "platform/scene/Primitives.h"

#include "support/Near.h"

#include <glm/gtc/constants.hpp>

#include <cmath>

namespace plimsa {
namespace {

using testing::near;

constexpr float kPi = glm::pi<float>();

// Signed volume by the divergence theorem: right only when the surface is closed and every triangle is
// wound counter-clockwise seen from outside.
float enclosedVolume(const Geometry& geometry) {
    const MeshData& mesh = geometry.mesh();
    double volume = 0;
    for (const GeometryElement& element : mesh.elements) {
        for (size_t i = 0; i + 2 < element.indices.size(); i += 3) {
            const glm::dvec3 a = mesh.positions[element.indices[i]];
            const glm::dvec3 b = mesh.positions[element.indices[i + 1]];
            const glm::dvec3 c = mesh.positions[element.indices[i + 2]];
            volume += glm::dot(a, glm::cross(b, c)) / 6.0;
        }
    }
    return static_cast<float>(volume);
}

// Every triangle's geometric normal agrees with its vertex normals, which are unit length.
void expectConsistentNormals(const Geometry& geometry) {
    const MeshData& mesh = geometry.mesh();
    ASSERT_EQ(mesh.normals.size(), mesh.positions.size());
    ASSERT_EQ(mesh.texcoords.size(), mesh.positions.size());
    for (const glm::vec3& n : mesh.normals) {
        ASSERT_NEAR(glm::length(n), 1.0f, 1e-4f);
    }
    for (const glm::vec2& uv : mesh.texcoords) {
        ASSERT_GE(uv.x, -1e-6f);
        ASSERT_LE(uv.x, 1 + 1e-6f);
        ASSERT_GE(uv.y, -1e-6f);
        ASSERT_LE(uv.y, 1 + 1e-6f);
    }
    for (const GeometryElement& element : mesh.elements) {
        for (size_t i = 0; i + 2 < element.indices.size(); i += 3) {
            const uint32_t a = element.indices[i], b = element.indices[i + 1], c = element.indices[i + 2];
            const glm::vec3 face =
                glm::cross(mesh.positions[b] - mesh.positions[a], mesh.positions[c] - mesh.positions[a]);
            ASSERT_GT(glm::dot(face, mesh.normals[a] + mesh.normals[b] + mesh.normals[c]), 0.0f)
                << "triangle " << i / 3;
        }
    }
}

TEST(Primitives, BoxHasItsExtentsOnTheRightAxes) {
    const auto box = Primitives::box(2.0f, 0.06f, 0.36f, 0.0f);
    EXPECT_TRUE(near(box->boundingBox().min, {-1.0f, -0.03f, -0.18f}));
    EXPECT_TRUE(near(box->boundingBox().max, {1.0f, 0.03f, 0.18f}));
    expectConsistentNormals(*box);
    EXPECT_NEAR(enclosedVolume(*box), 2.0f * 0.06f * 0.36f, 1e-5f);
    EXPECT_EQ(box->mesh().elements.size(), 1u);
    EXPECT_EQ(box->materials().size(), 1u);
}

TEST(Primitives, ChamferReallyRoundsEdgesAndCorners) {
    const float r = 0.1f;
    const auto box = Primitives::box(1.0f, 0.6f, 0.4f, r);
    EXPECT_TRUE(near(box->boundingBox().min, {-0.5f, -0.3f, -0.2f}, 1e-5f));
    EXPECT_TRUE(near(box->boundingBox().max, {0.5f, 0.3f, 0.2f}, 1e-5f));
    expectConsistentNormals(*box);
    // No vertex reaches a sharp corner: the farthest is on the corner sphere around the inner box.
    const glm::vec3 inner(0.4f, 0.2f, 0.1f);
    float farthest = 0;
    size_t rounded = 0;
    for (size_t i = 0; i < box->vertexCount(); ++i) {
        const glm::vec3 p = box->mesh().positions[i];
        const glm::vec3 core = glm::clamp(p, -inner, inner);
        // Every vertex lies at distance r from the inner box, along its normal.
        ASSERT_NEAR(glm::length(p - core), r, 1e-5f);
        ASSERT_TRUE(near(glm::normalize(p - core), box->mesh().normals[i], 1e-4f));
        farthest = std::max(farthest, glm::length(p));
        const glm::vec3 n = glm::abs(box->mesh().normals[i]);
        rounded += std::max({n.x, n.y, n.z}) < 0.999f;
    }
    EXPECT_LE(farthest, glm::length(inner) + r + 1e-5f);
    EXPECT_LT(farthest, glm::length(glm::vec3(0.5f, 0.3f, 0.2f)) - 0.01f);
    EXPECT_GT(rounded, 100u);  // many normals between the face directions: a real curve, not a bevel
    // Volume of a rounded box: core + face slabs + quarter cylinders on edges + sphere at corners.
    const glm::vec3 e = 2.0f * inner;
    const float expected = e.x * e.y * e.z + 2 * r * (e.x * e.y + e.y * e.z + e.x * e.z) +
                           kPi * r * r * (e.x + e.y + e.z) + 4.0f / 3.0f * kPi * r * r * r;
    EXPECT_NEAR(enclosedVolume(*box), expected, expected * 0.01f);
}

TEST(Primitives, ChamferIsClampedToHalfTheSmallestSide) {
    const auto box = Primitives::box(1.0f, 0.2f, 1.0f, 5.0f);
    EXPECT_TRUE(near(box->boundingBox().min, {-0.5f, -0.1f, -0.5f}, 1e-5f));
    expectConsistentNormals(*box);
}

TEST(Primitives, BoxFacesMapTheWholeTextureUpright) {
    const auto box = Primitives::box(2.0f, 1.0f, 1.0f, 0.0f);
    const MeshData& mesh = box->mesh();
    for (size_t i = 0; i < mesh.vertexCount(); ++i) {
        if (mesh.normals[i] == glm::vec3(0, 0, 1)) {  // front face: u left to right, v top to bottom
            EXPECT_NEAR(mesh.texcoords[i].x, (mesh.positions[i].x + 1.0f) / 2.0f, 1e-6f);
            EXPECT_NEAR(mesh.texcoords[i].y, 0.5f - mesh.positions[i].y, 1e-6f);
        }
    }
}

TEST(Primitives, CylinderStandsOnYAndIsClosed) {
    const auto cylinder = Primitives::cylinder(0.11f, 2.1f);
    EXPECT_TRUE(near(cylinder->boundingBox().min, {-0.11f, -1.05f, -0.11f}, 1e-5f));
    EXPECT_TRUE(near(cylinder->boundingBox().max, {0.11f, 1.05f, 0.11f}, 1e-5f));
    expectConsistentNormals(*cylinder);
    // 48 sides: the polygon area is a little under the circle's.
    const float polygon = 0.5f * 48 * 0.11f * 0.11f * std::sin(2 * kPi / 48);
    EXPECT_NEAR(enclosedVolume(*cylinder), polygon * 2.1f, 1e-5f);
}

TEST(Primitives, ConeHasTopRadiusUpAndSlantedNormals) {
    const auto icicle = Primitives::cone(0.018f, 0.0f, 0.2f);
    const BoundingBox box = icicle->boundingBox();
    EXPECT_TRUE(near(box.min, {-0.018f, -0.1f, -0.018f}, 1e-5f));
    EXPECT_TRUE(near(box.max, {0.018f, 0.1f, 0.018f}, 1e-5f));
    expectConsistentNormals(*icicle);
    const MeshData& mesh = icicle->mesh();
    for (size_t i = 0; i < mesh.vertexCount(); ++i) {
        if (mesh.positions[i].y < -0.099f) {
            EXPECT_NEAR(glm::length(glm::vec2(mesh.positions[i].x, mesh.positions[i].z)), 0.0f,
                        1e-6f);  // the tip
        }
        if (std::abs(mesh.normals[i].y) < 0.999f) {
            EXPECT_LT(mesh.normals[i].y, 0.0f);  // side faces lean downward on a cone pointing down
        }
    }
    const float polygon = 0.5f * 48 * 0.018f * 0.018f * std::sin(2 * kPi / 48);
    EXPECT_NEAR(enclosedVolume(*icicle), polygon * 0.2f / 3.0f, 1e-7f);
}

TEST(Primitives, SphereIsRoundAndClosed) {
    const auto sphere = Primitives::sphere(0.045f);
    expectConsistentNormals(*sphere);
    for (const glm::vec3& p : sphere->mesh().positions) {
        ASSERT_NEAR(glm::length(p), 0.045f, 1e-6f);
    }
    EXPECT_TRUE(near(sphere->boundingBox().max, {0.045f, 0.045f, 0.045f}, 1e-4f));
    const float exact = 4.0f / 3.0f * kPi * std::pow(0.045f, 3.0f);
    EXPECT_NEAR(enclosedVolume(*sphere), exact, exact * 0.01f);
}

TEST(Primitives, TorusLiesInTheXZPlane) {
    const auto torus = Primitives::torus(0.026f, 0.007f, 24, 10);
    // 10 pipe segments put no vertex exactly on the pipe's top: the box is the polygon's.
    const float top = 0.007f * std::sin(2 * kPi / 10 * 2);
    EXPECT_TRUE(near(torus->boundingBox().min, {-0.033f, -top, -0.033f}, 1e-6f));
    EXPECT_TRUE(near(torus->boundingBox().max, {0.033f, top, 0.033f}, 1e-6f));
    expectConsistentNormals(*torus);
    for (size_t i = 0; i < torus->vertexCount(); ++i) {
        const glm::vec3 p = torus->mesh().positions[i];
        const glm::vec3 ring = glm::normalize(glm::vec3(p.x, 0, p.z)) * 0.026f;
        ASSERT_NEAR(glm::length(p - ring), 0.007f, 1e-6f);
    }
    const float exact = 2 * kPi * kPi * 0.026f * 0.007f * 0.007f;
    EXPECT_NEAR(enclosedVolume(*torus), exact, exact * 0.1f);  // 24 x 10 polygons
}

TEST(Primitives, PlaneFacesPlusZ) {
    const auto plane = Primitives::plane(0.6f, 1.0f);
    EXPECT_TRUE(near(plane->boundingBox().min, {-0.3f, -0.5f, 0}));
    EXPECT_TRUE(near(plane->boundingBox().max, {0.3f, 0.5f, 0}));
    expectConsistentNormals(*plane);
    EXPECT_EQ(plane->mesh().elements.front().primitiveCount(), 2u);
    for (size_t i = 0; i < plane->vertexCount(); ++i) {
        EXPECT_EQ(plane->mesh().normals[i], glm::vec3(0, 0, 1));
        EXPECT_NEAR(plane->mesh().texcoords[i].y, 0.5f - plane->mesh().positions[i].y, 1e-6f);
    }
}

TEST(Primitives, DegenerateSizesGiveEmptyButValidShapes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& geometry : {Primitives::box(-1, nan, 2, 0.3f), Primitives::sphere(0.0f, -5),
                                 Primitives::cylinder(nan, 1.0f, 1 << 30, -1), Primitives::torus(1, 0, 3, 3),
                                 Primitives::cone(0, 0, 1), Primitives::plane(1, 1, 0, 100000)}) {
        ASSERT_NE(geometry, nullptr);
        EXPECT_LE(geometry->vertexCount(), 2'200'000u);
        for (const glm::vec3& p : geometry->mesh().positions) {
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        }
        EXPECT_FALSE(std::isnan(enclosedVolume(*geometry)));
    }
}

}  // namespace
}  // namespace plimsa
