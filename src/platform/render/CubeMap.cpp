#include "platform/render/CubeMap.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace plimsa {
namespace {

// Face and face coordinates (s, t in [0, 1]) of a direction, as OpenGL selects them.
int faceOf(glm::vec3 d, float& s, float& t) {
    const glm::vec3 a = glm::abs(d);
    int face;
    float sc, tc, ma;
    if (a.x >= a.y && a.x >= a.z) {
        face = d.x > 0 ? 0 : 1, ma = a.x, sc = d.x > 0 ? -d.z : d.z, tc = -d.y;
    } else if (a.y >= a.z) {
        face = d.y > 0 ? 2 : 3, ma = a.y, sc = d.x, tc = d.y > 0 ? d.z : -d.z;
    } else {
        face = d.z > 0 ? 4 : 5, ma = a.z, sc = d.z > 0 ? d.x : -d.x, tc = -d.y;
    }
    s = 0.5f * (sc / ma + 1.0f);
    t = 0.5f * (tc / ma + 1.0f);
    return face;
}

}  // namespace

CubeMap::CubeMap(const std::vector<float>& faces, int size) {
    levels_.push_back(faces);
    sizes_.push_back(size);
    while (sizes_.back() > 1) {
        const int from = sizes_.back(), to = from / 2;
        const std::vector<float>& source = levels_.back();
        std::vector<float> next(static_cast<size_t>(6) * to * to * 3);
        for (int face = 0; face < 6; ++face)
            for (int row = 0; row < to; ++row)
                for (int column = 0; column < to; ++column)
                    for (int c = 0; c < 3; ++c) {
                        float sum = 0.0f;
                        for (int dy = 0; dy < 2; ++dy)
                            for (int dx = 0; dx < 2; ++dx)
                                sum += source[texelIndex(face, column * 2 + dx, row * 2 + dy, from) * 3 + c];
                        next[texelIndex(face, column, row, to) * 3 + c] = sum * 0.25f;
                    }
        levels_.push_back(std::move(next));
        sizes_.push_back(to);
    }
}

glm::vec3 CubeMap::texelDirection(int face, int column, int row, int size) {
    const float u = 2.0f * (column + 0.5f) / size - 1.0f;
    const float v = 2.0f * (row + 0.5f) / size - 1.0f;
    glm::vec3 d;
    switch (face) {
        case 0: d = {1.0f, -v, -u}; break;
        case 1: d = {-1.0f, -v, u}; break;
        case 2: d = {u, 1.0f, v}; break;
        case 3: d = {u, -1.0f, -v}; break;
        case 4: d = {u, -v, 1.0f}; break;
        default: d = {-u, -v, -1.0f}; break;
    }
    return glm::normalize(d);
}

float CubeMap::texelSolidAngle(int column, int row, int size) {
    const float u = 2.0f * (column + 0.5f) / size - 1.0f;
    const float v = 2.0f * (row + 0.5f) / size - 1.0f;
    const float texel = 2.0f / size;
    return texel * texel / std::pow(1.0f + u * u + v * v, 1.5f);
}

glm::vec3 CubeMap::sampleLevel(int face, float s, float t, int level) const {
    const int size = sizes_[static_cast<size_t>(level)];
    const std::vector<float>& data = levels_[static_cast<size_t>(level)];
    const float x = std::clamp(s * size - 0.5f, 0.0f, size - 1.0f);
    const float y = std::clamp(t * size - 0.5f, 0.0f, size - 1.0f);
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, size - 1), y1 = std::min(y0 + 1, size - 1);
    const float fx = x - x0, fy = y - y0;
    auto at = [&](int cx, int cy) {
        const float* p = &data[texelIndex(face, cx, cy, size) * 3];
        return glm::vec3(p[0], p[1], p[2]);
    };
    return (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) + (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
}

glm::vec3 CubeMap::sample(glm::vec3 direction, float lod) const {
    float s = 0.0f, t = 0.0f;
    const int face = faceOf(direction, s, t);
    const float clamped = std::clamp(lod, 0.0f, static_cast<float>(levels_.size() - 1));
    const int lower = static_cast<int>(clamped);
    const int upper = std::min(lower + 1, static_cast<int>(levels_.size()) - 1);
    const float f = clamped - lower;
    const glm::vec3 a = sampleLevel(face, s, t, lower);
    return f > 0.0f ? a * (1.0f - f) + sampleLevel(face, s, t, upper) * f : a;
}

}  // namespace plimsa
