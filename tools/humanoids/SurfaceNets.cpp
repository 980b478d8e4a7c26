#include "humanoids/SurfaceNets.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plimsa {
namespace {

constexpr int kBlock = 4;        // grid points per block side when skipping far blocks
constexpr float kSafety = 1.6f;  // slack for functions that change a little faster than distance
constexpr int kProjections = 3;  // steps pulling each vertex onto the surface

const std::array<glm::ivec3, 8> kCorners = {
    {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}};

}  // namespace

SurfaceNets::SurfaceNets(const Distance& distance, const glm::vec3& low, const glm::vec3& high, float step)
    : low_(low), step_(step), size_(glm::ivec3(glm::ceil((high - low) / step)) + 1) {
    sample(distance);
    placeVertices(distance);
    connect();
}

glm::vec3 SurfaceNets::gradient(const Distance& distance, const glm::vec3& p) {
    constexpr float h = 0.001f;
    const glm::vec3 g{distance(p + glm::vec3(h, 0, 0)) - distance(p - glm::vec3(h, 0, 0)),
                      distance(p + glm::vec3(0, h, 0)) - distance(p - glm::vec3(0, h, 0)),
                      distance(p + glm::vec3(0, 0, h)) - distance(p - glm::vec3(0, 0, h))};
    const float length = glm::length(g);
    return length > 1e-12f ? g / length : glm::vec3(0, 1, 0);
}

// Blocks whose centre is far from the surface take the Lipschitz bound instead of a sample per point.
void SurfaceNets::sample(const Distance& distance) {
    values_.assign(static_cast<size_t>(size_.x) * static_cast<size_t>(size_.y) * static_cast<size_t>(size_.z),
                   0.0f);
    const float halfDiagonal = std::sqrt(3.0f) * 0.5f * kBlock * step_;
    for (int bz = 0; bz < size_.z; bz += kBlock)
        for (int by = 0; by < size_.y; by += kBlock)
            for (int bx = 0; bx < size_.x; bx += kBlock) {
                const glm::vec3 centre = low_ + (glm::vec3(bx, by, bz) + 0.5f * kBlock) * step_;
                const float d = distance(centre);
                const bool far = std::abs(d) > kSafety * halfDiagonal + 2.0f * step_;
                for (int z = bz; z < std::min(bz + kBlock, size_.z); ++z)
                    for (int y = by; y < std::min(by + kBlock, size_.y); ++y)
                        for (int x = bx; x < std::min(bx + kBlock, size_.x); ++x) {
                            const glm::vec3 p = low_ + glm::vec3(x, y, z) * step_;
                            const float bound = std::abs(d) - kSafety * glm::length(p - centre);
                            values_[index(x, y, z)] = far ? std::copysign(bound, d) : distance(p);
                        }
            }
}

void SurfaceNets::placeVertices(const Distance& distance) {
    cellVertex_.assign(values_.size(), -1);
    for (int z = 0; z + 1 < size_.z; ++z)
        for (int y = 0; y + 1 < size_.y; ++y)
            for (int x = 0; x + 1 < size_.x; ++x) {
                std::array<float, 8> v{};
                int inside = 0;
                for (size_t c = 0; c < 8; ++c) {
                    v[c] = value(x + kCorners[c].x, y + kCorners[c].y, z + kCorners[c].z);
                    inside += v[c] < 0.0f ? 1 : 0;
                }
                if (inside == 0 || inside == 8) continue;
                glm::vec3 sum{0.0f};
                int crossings = 0;
                for (size_t c = 0; c < 8; ++c)
                    for (size_t e = c + 1; e < 8; ++e) {
                        const glm::ivec3 delta = kCorners[e] - kCorners[c];
                        if (delta.x + delta.y + delta.z != 1 || (v[c] < 0.0f) == (v[e] < 0.0f)) continue;
                        const float t = v[c] / (v[c] - v[e]);
                        sum += glm::mix(glm::vec3(kCorners[c]), glm::vec3(kCorners[e]), t);
                        ++crossings;
                    }
                glm::vec3 p = low_ + (glm::vec3(x, y, z) + sum / static_cast<float>(crossings)) * step_;
                // Pull onto the surface, never out of the cell's neighbourhood.
                const glm::vec3 start = p;
                for (int i = 0; i < kProjections; ++i) p -= distance(p) * gradient(distance, p);
                if (glm::length(p - start) > step_) p = start;
                cellVertex_[index(x, y, z)] = static_cast<int32_t>(positions.size());
                positions.push_back(p);
                normals.push_back(gradient(distance, p));
            }
}

void SurfaceNets::connect() {
    const auto quad = [&](const std::array<int32_t, 4>& q, bool flip) {
        for (int32_t vertex : q)
            if (vertex < 0) return;
        auto a = static_cast<uint32_t>(q[0]), b = static_cast<uint32_t>(q[1]);
        auto c = static_cast<uint32_t>(q[2]), d = static_cast<uint32_t>(q[3]);
        if (flip) std::swap(b, d);
        // Split along the shorter diagonal.
        if (glm::length(positions[a] - positions[c]) <= glm::length(positions[b] - positions[d]))
            triangles.insert(triangles.end(), {a, b, c, a, c, d});
        else
            triangles.insert(triangles.end(), {a, b, d, b, c, d});
    };
    const auto cell = [&](int x, int y, int z) { return cellVertex_[index(x, y, z)]; };
    for (int z = 1; z + 1 < size_.z; ++z)
        for (int y = 1; y + 1 < size_.y; ++y)
            for (int x = 1; x + 1 < size_.x; ++x) {
                const bool inside = value(x, y, z) < 0.0f;
                // Edge along +X: the four cells around it, counter-clockwise seen from +X.
                if (inside != (value(x + 1, y, z) < 0.0f))
                    quad({cell(x, y - 1, z - 1), cell(x, y, z - 1), cell(x, y, z), cell(x, y - 1, z)},
                         !inside);
                if (inside != (value(x, y + 1, z) < 0.0f))
                    quad({cell(x - 1, y, z - 1), cell(x - 1, y, z), cell(x, y, z), cell(x, y, z - 1)},
                         !inside);
                if (inside != (value(x, y, z + 1) < 0.0f))
                    quad({cell(x - 1, y - 1, z), cell(x, y - 1, z), cell(x, y, z), cell(x - 1, y, z)},
                         !inside);
            }
}

}  // namespace plimsa
