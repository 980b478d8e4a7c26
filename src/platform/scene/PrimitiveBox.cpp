#include "platform/scene/Geometry.h"
#include "platform/scene/MeshBuilder.h"
#include "platform/scene/Primitives.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace plimsa {

namespace {

struct Face {
    glm::vec3 normal;
    glm::vec3 right;  // u grows this way as seen from outside
    glm::vec3 up;     // v shrinks this way (v runs downward)
};

constexpr Face kFaces[6] = {
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
};

float sizeOrZero(float value) {
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

// Coordinates across one face along an axis of half extent `half`: the rounded bands at both ends are
// spaced so the arc is divided into equal angles; the flat middle is one segment.
std::vector<float> faceCoordinates(float half, float radius, int bandSegments) {
    std::vector<float> low;
    const float inner = half - radius;
    for (int k = bandSegments; k >= 0; --k) {
        const float angle =
            glm::quarter_pi<float>() * static_cast<float>(k) / static_cast<float>(std::max(bandSegments, 1));
        low.push_back(-inner - radius * std::tan(angle));
    }
    std::vector<float> coordinates = low;
    for (auto it = low.rbegin(); it != low.rend(); ++it) {
        const float mirrored = -*it;
        if (mirrored > coordinates.back() + 1e-7f * std::max(half, 1e-20f)) {
            coordinates.push_back(mirrored);
        }
    }
    return coordinates;
}

void addFace(MeshBuilder& builder, const Face& face, const glm::vec3& half, float radius, int bandSegments) {
    const float halfNormal = glm::dot(glm::abs(face.normal), half);
    const float halfRight = glm::dot(glm::abs(face.right), half);
    const float halfUp = glm::dot(glm::abs(face.up), half);
    const std::vector<float> xs = faceCoordinates(halfRight, radius, bandSegments);
    const std::vector<float> ys = faceCoordinates(halfUp, radius, bandSegments);
    const glm::vec3 inner = half - glm::vec3(radius);
    const uint32_t first = builder.nextIndex();
    for (size_t row = 0; row < ys.size(); ++row) {
        for (size_t column = 0; column < xs.size(); ++column) {
            const glm::vec3 onPlane = face.normal * halfNormal + face.right * xs[column] + face.up * ys[row];
            glm::vec3 position = onPlane;
            glm::vec3 normal = face.normal;
            if (radius > 0.0f) {
                // Push the point onto the rounded surface around the inner box.
                const glm::vec3 core = glm::clamp(onPlane, -inner, inner);
                normal = glm::normalize(onPlane - core);
                position = core + radius * normal;
            }
            const glm::vec2 uv(halfRight > 0 ? (xs[column] + halfRight) / (2 * halfRight) : 0.5f,
                               halfUp > 0 ? (halfUp - ys[row]) / (2 * halfUp) : 0.5f);
            builder.addVertex(position, normal, uv);
        }
    }
    builder.addGrid(first, static_cast<int>(xs.size()), static_cast<int>(ys.size()));
}

}  // namespace

std::shared_ptr<Geometry> Primitives::box(float width, float height, float length, float chamferRadius,
                                          int chamferSegments) {
    const glm::vec3 half = glm::vec3(sizeOrZero(width), sizeOrZero(height), sizeOrZero(length)) * 0.5f;
    const float radius = std::min(sizeOrZero(chamferRadius), std::min({half.x, half.y, half.z}));
    // Each face rounds half of every edge's quarter circle; the two halves together give the segments asked
    // for.
    const int bandSegments = radius > 0.0f ? std::clamp((chamferSegments + 1) / 2, 1, 64) : 0;
    MeshBuilder builder;
    for (const Face& face : kFaces) {
        addFace(builder, face, half, radius, bandSegments);
    }
    return Geometry::make(builder.finish());
}

}  // namespace plimsa
