#include "platform/scene/Primitives.h"

#include "platform/scene/Geometry.h"
#include "platform/scene/MeshBuilder.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace plimsa {

namespace {

constexpr int kMaxSegments = 1024;

float sizeOrZero(float value) {
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}
int segments(int value, int minimum) {
    return std::clamp(value, minimum, kMaxSegments);
}

// A point on the unit circle around Y: angle 0 at +Z, growing toward +X (u left to right from the front).
glm::vec3 around(int i, int count) {
    const float angle = glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(count);
    return {std::sin(angle), 0.0f, std::cos(angle)};
}

// A flat disc cap at height y facing `facing` (+1 up, -1 down).
void addCap(MeshBuilder& builder, float radius, float y, float facing, int radial) {
    if (radius <= 0.0f) {
        return;
    }
    const glm::vec3 normal(0, facing, 0);
    const uint32_t centre = builder.addVertex({0, y, 0}, normal, {0.5f, 0.5f});
    const uint32_t first = centre + 1;
    for (int i = 0; i <= radial; ++i) {
        const glm::vec3 d = around(i, radial);
        builder.addVertex(d * radius + glm::vec3(0, y, 0), normal,
                          {0.5f + d.x * 0.5f, 0.5f + facing * d.z * 0.5f});
    }
    for (int i = 0; i < radial; ++i) {
        builder.addTriangle(centre, first + static_cast<uint32_t>(i), first + static_cast<uint32_t>(i) + 1);
    }
}

// The side of a cylinder or cone: rows from the top (v = 0) to the bottom (v = 1).
void addSide(MeshBuilder& builder, float topRadius, float bottomRadius, float height, int radial, int rows) {
    const uint32_t first = builder.nextIndex();
    for (int row = 0; row <= rows; ++row) {
        const float f = static_cast<float>(row) / static_cast<float>(rows);
        const float radius = topRadius + (bottomRadius - topRadius) * f;
        const float y = height * (0.5f - f);
        for (int i = 0; i <= radial; ++i) {
            const glm::vec3 d = around(i, radial);
            const glm::vec3 normal =
                glm::normalize(glm::vec3(d.x * height, bottomRadius - topRadius, d.z * height));
            builder.addVertex(d * radius + glm::vec3(0, y, 0), normal,
                              {static_cast<float>(i) / static_cast<float>(radial), f});
        }
    }
    builder.addGrid(first, radial + 1, rows + 1);
}

std::shared_ptr<Geometry> roundShape(float topRadius, float bottomRadius, float height, int radial,
                                     int rows) {
    MeshBuilder builder;
    if (height > 0.0f) {
        addSide(builder, topRadius, bottomRadius, height, radial, rows);
    }
    addCap(builder, topRadius, height * 0.5f, 1.0f, radial);
    addCap(builder, bottomRadius, -height * 0.5f, -1.0f, radial);
    MeshData mesh = builder.finish();
    return Geometry::make(std::move(mesh));
}

}  // namespace

std::shared_ptr<Geometry> Primitives::cylinder(float radius, float height, int radialSegments,
                                               int heightSegments) {
    const float r = sizeOrZero(radius);
    return roundShape(r, r, sizeOrZero(height), segments(radialSegments, 3), segments(heightSegments, 1));
}

std::shared_ptr<Geometry> Primitives::cone(float topRadius, float bottomRadius, float height,
                                           int radialSegments, int heightSegments) {
    return roundShape(sizeOrZero(topRadius), sizeOrZero(bottomRadius), sizeOrZero(height),
                      segments(radialSegments, 3), segments(heightSegments, 1));
}

std::shared_ptr<Geometry> Primitives::sphere(float radius, int segmentCount) {
    const float r = sizeOrZero(radius);
    const int columns = segments(segmentCount, 4);
    const int rows = std::max(columns / 2, 2);
    MeshBuilder builder;
    const uint32_t first = builder.nextIndex();
    for (int row = 0; row <= rows; ++row) {
        const float polar = glm::pi<float>() * static_cast<float>(row) / static_cast<float>(rows);
        for (int i = 0; i <= columns; ++i) {
            const glm::vec3 d = around(i, columns);
            const glm::vec3 normal(d.x * std::sin(polar), std::cos(polar), d.z * std::sin(polar));
            builder.addVertex(normal * r, normal,
                              {static_cast<float>(i) / static_cast<float>(columns),
                               static_cast<float>(row) / static_cast<float>(rows)});
        }
    }
    builder.addGrid(first, columns + 1, rows + 1);
    return Geometry::make(builder.finish());
}

std::shared_ptr<Geometry> Primitives::torus(float ringRadius, float pipeRadius, int ringSegments,
                                            int pipeSegments) {
    const float ring = sizeOrZero(ringRadius);
    const float pipe = sizeOrZero(pipeRadius);
    const int around_ = segments(ringSegments, 3);
    const int across = segments(pipeSegments, 3);
    MeshBuilder builder;
    const uint32_t first = builder.nextIndex();
    for (int j = 0; j <= across; ++j) {
        const float angle = glm::two_pi<float>() * static_cast<float>(j) / static_cast<float>(across);
        for (int i = 0; i <= around_; ++i) {
            const glm::vec3 d = around(i, around_);
            const glm::vec3 normal = d * std::cos(angle) + glm::vec3(0, std::sin(angle), 0);
            builder.addVertex(d * ring + normal * pipe, normal,
                              {static_cast<float>(i) / static_cast<float>(around_),
                               static_cast<float>(j) / static_cast<float>(across)});
        }
    }
    builder.addGrid(first, around_ + 1, across + 1);
    return Geometry::make(builder.finish());
}

std::shared_ptr<Geometry> Primitives::plane(float width, float height, int widthSegments,
                                            int heightSegments) {
    const float w = sizeOrZero(width);
    const float h = sizeOrZero(height);
    const int columns = segments(widthSegments, 1);
    const int rows = segments(heightSegments, 1);
    MeshBuilder builder;
    const uint32_t first = builder.nextIndex();
    for (int row = 0; row <= rows; ++row) {
        const float v = static_cast<float>(row) / static_cast<float>(rows);
        for (int column = 0; column <= columns; ++column) {
            const float u = static_cast<float>(column) / static_cast<float>(columns);
            builder.addVertex({(u - 0.5f) * w, (0.5f - v) * h, 0.0f}, {0, 0, 1}, {u, v});
        }
    }
    builder.addGrid(first, columns + 1, rows + 1);
    return Geometry::make(builder.finish());
}

}  // namespace plimsa
