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
    for (const glm::vec3& n : mesh.normals) ASSERT_NEAR(glm::length(n), 1.0f, 1e-4f);
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

// A box of `size` with edges rounded by `r`: core + face slabs + quarter cylinders on the edges + a sphere
// at the corners.
float roundedBoxVolume(glm::vec3 size, float r) {
    const glm::vec3 e = size - 2.0f * r;
    return e.x * e.y * e.z + 2 * r * (e.x * e.y + e.y * e.z + e.x * e.z) + kPi * r * r * (e.x + e.y + e.z) +
           4.0f / 3.0f * kPi * r * r * r;
}

// 48 sides: a polygon a little smaller than the circle.
float polygonArea(float radius, int sides = 48) {
    return 0.5f * static_cast<float>(sides) * radius * radius * std::sin(2 * kPi / static_cast<float>(sides));
}

TEST(Primitives, EveryShapeIsClosedWithConsistentNormalsInItsDocumentedBox) {
    const float torusTop = 0.007f * std::sin(2 * kPi / 10 * 2);  // 10 pipe segments miss the pipe's top
    struct Case {
        const char* name;
        std::shared_ptr<Geometry> geometry;
        glm::vec3 max;  // the box is symmetric: min = -max
        float volume, relativeTolerance;
    };
    const Case cases[] = {
        {"box", Primitives::box(2.0f, 0.06f, 0.36f, 0.0f), {1.0f, 0.03f, 0.18f}, 2.0f * 0.06f * 0.36f, 1e-4f},
        {"chamfered box",
         Primitives::box(1.0f, 0.6f, 0.4f, 0.1f),
         {0.5f, 0.3f, 0.2f},
         roundedBoxVolume({1.0f, 0.6f, 0.4f}, 0.1f),
         0.01f},
        {"chamfer clamped to half the thinnest side",
         Primitives::box(1.0f, 0.2f, 1.0f, 5.0f),
         {0.5f, 0.1f, 0.5f},
         roundedBoxVolume({1.0f, 0.2f, 1.0f}, 0.1f),
         0.01f},
        {"cylinder",
         Primitives::cylinder(0.11f, 2.1f),
         {0.11f, 1.05f, 0.11f},
         polygonArea(0.11f) * 2.1f,
         1e-4f},
        {"cone",
         Primitives::cone(0.018f, 0.0f, 0.2f),
         {0.018f, 0.1f, 0.018f},
         polygonArea(0.018f) * 0.2f / 3.0f,
         5e-3f},
        {"sphere", Primitives::sphere(0.045f), glm::vec3(0.045f), 4.0f / 3.0f * kPi * std::pow(0.045f, 3.0f),
         0.01f},
        {"torus",
         Primitives::torus(0.026f, 0.007f, 24, 10),
         {0.033f, torusTop, 0.033f},
         2 * kPi * kPi * 0.026f * 0.007f * 0.007f,
         0.1f},
        {"plane", Primitives::plane(0.6f, 1.0f), {0.3f, 0.5f, 0.0f}, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(near(c.geometry->boundingBox().min, -c.max));
        EXPECT_TRUE(near(c.geometry->boundingBox().max, c.max));
        expectConsistentNormals(*c.geometry);
        EXPECT_NEAR(enclosedVolume(*c.geometry), c.volume, c.volume * c.relativeTolerance + 1e-9f);
        EXPECT_EQ(c.geometry->mesh().elements.size(), 1u);
        EXPECT_EQ(c.geometry->materials().size(), 1u);
    }
}

TEST(Primitives, ChamferReallyRoundsEdgesAndCornersAndDegenerateSizesGiveValidShapes) {
    const float r = 0.1f;
    const auto box = Primitives::box(1.0f, 0.6f, 0.4f, r);
    const glm::vec3 inner(0.4f, 0.2f, 0.1f);
    size_t rounded = 0;
    for (size_t i = 0; i < box->vertexCount(); ++i) {
        const glm::vec3 p = box->mesh().positions[i];
        const glm::vec3 core = glm::clamp(p, -inner, inner);
        // Every vertex lies at distance r from the inner box, along its normal: no sharp corner is left.
        ASSERT_NEAR(glm::length(p - core), r, 1e-5f);
        ASSERT_TRUE(near(glm::normalize(p - core), box->mesh().normals[i], 1e-4f));
        const glm::vec3 n = glm::abs(box->mesh().normals[i]);
        rounded += std::max({n.x, n.y, n.z}) < 0.999f;
    }
    EXPECT_GT(rounded, 100u);  // many normals between the face directions: a real curve, not a bevel
    // Degenerate sizes give empty but valid shapes.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& geometry : {Primitives::box(-1, nan, 2, 0.3f), Primitives::sphere(0.0f, -5),
                                 Primitives::cylinder(nan, 1.0f, 1 << 30, -1), Primitives::torus(1, 0, 3, 3),
                                 Primitives::cone(0, 0, 1), Primitives::plane(1, 1, 0, 100000)}) {
        ASSERT_NE(geometry, nullptr);
        EXPECT_LE(geometry->vertexCount(), 2'200'000u);
        for (const glm::vec3& p : geometry->mesh().positions)
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        EXPECT_FALSE(std::isnan(enclosedVolume(*geometry)));
    }
}

TEST(Primitives, BoxFrontAndPlaneMapTheWholeTextureUpright) {
    for (const auto& geometry : {Primitives::box(2.0f, 1.0f, 1.0f, 0.0f), Primitives::plane(2.0f, 1.0f)}) {
        const MeshData& mesh = geometry->mesh();
        int front = 0;
        for (size_t i = 0; i < mesh.vertexCount(); ++i) {
            if (mesh.normals[i] != glm::vec3(0, 0, 1)) continue;  // u left to right, v top to bottom
            ++front;
            EXPECT_NEAR(mesh.texcoords[i].x, (mesh.positions[i].x + 1.0f) / 2.0f, 1e-6f);
            EXPECT_NEAR(mesh.texcoords[i].y, 0.5f - mesh.positions[i].y, 1e-6f);
        }
        EXPECT_GE(front, 4);
    }
    const auto plane = Primitives::plane(0.6f, 1.0f);
    EXPECT_EQ(plane->mesh().elements.front().primitiveCount(), 2u);
    for (const glm::vec3& n : plane->mesh().normals) EXPECT_EQ(n, glm::vec3(0, 0, 1));
}

TEST(Primitives, ConePointsItsTipDownAndSphereAndTorusVerticesLieOnTheirSurfaces) {
    const auto cone = Primitives::cone(0.018f, 0.0f, 0.2f);
    const MeshData& mesh = cone->mesh();
    int tip = 0, sides = 0;
    for (size_t i = 0; i < mesh.vertexCount(); ++i) {
        if (mesh.positions[i].y < -0.099f) {
            ++tip;
            EXPECT_NEAR(glm::length(glm::vec2(mesh.positions[i].x, mesh.positions[i].z)), 0.0f, 1e-6f);
        }
        if (std::abs(mesh.normals[i].y) < 0.999f) {
            ++sides;
            EXPECT_LT(mesh.normals[i].y, 0.0f);  // side faces lean downward on a cone pointing down
        }
    }
    EXPECT_GT(tip, 0);
    EXPECT_GT(sides, 0);
    // Sphere and torus vertices lie on their surfaces.
    const auto sphere = Primitives::sphere(0.045f), torus = Primitives::torus(0.026f, 0.007f, 24, 10);
    for (const glm::vec3& p : sphere->mesh().positions) ASSERT_NEAR(glm::length(p), 0.045f, 1e-6f);
    for (const glm::vec3& p : torus->mesh().positions) {
        const glm::vec3 ring = glm::normalize(glm::vec3(p.x, 0, p.z)) * 0.026f;  // in the XZ plane
        ASSERT_NEAR(glm::length(p - ring), 0.007f, 1e-6f);
    }
}

}  // namespace
}  // namespace plimsa
