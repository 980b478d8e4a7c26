#include "platform/scene/MeshData.h"

#include <cmath>

namespace plimsa {

namespace {

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

template <typename T>
bool dropIfMismatched(std::vector<T>& values, size_t count) {
    if (values.empty() || values.size() == count) {
        return true;
    }
    values.clear();
    return false;
}

bool sanitizeElement(GeometryElement& element, size_t vertexCount) {
    std::vector<uint32_t>& indices = element.indices;
    const size_t complete = indices.size() - indices.size() % 3;
    size_t kept = 0;
    for (size_t i = 0; i < complete; i += 3) {
        if (indices[i] < vertexCount && indices[i + 1] < vertexCount && indices[i + 2] < vertexCount) {
            indices[kept++] = indices[i];
            indices[kept++] = indices[i + 1];
            indices[kept++] = indices[i + 2];
        }
    }
    const bool unchanged = kept == indices.size();
    indices.resize(kept);
    return unchanged;
}

}  // namespace

std::vector<GeometrySource> MeshData::sources() const {
    std::vector<GeometrySource> result;
    result.push_back({GeometrySemantic::vertex, positions.size(), 3});
    if (!normals.empty()) {
        result.push_back({GeometrySemantic::normal, normals.size(), 3});
    }
    if (!texcoords.empty()) {
        result.push_back({GeometrySemantic::texcoord, texcoords.size(), 2});
    }
    if (!joints.empty()) {
        result.push_back({GeometrySemantic::boneIndices, joints.size(), 4});
    }
    if (!weights.empty()) {
        result.push_back({GeometrySemantic::boneWeights, weights.size(), 4});
    }
    return result;
}

bool MeshData::sanitize() {
    const size_t count = positions.size();
    bool unchanged = true;
    for (glm::vec3& p : positions) {
        if (!isFinite(p)) {
            p = glm::vec3(0.0f);
            unchanged = false;
        }
    }
    unchanged &= dropIfMismatched(normals, count);
    unchanged &= dropIfMismatched(texcoords, count);
    if (joints.size() != count || weights.size() != count) {
        unchanged &= joints.empty() && weights.empty();
        joints.clear();
        weights.clear();
    }
    for (glm::vec4& w : weights) {
        for (int i = 0; i < 4; ++i) {
            if (!std::isfinite(w[i]) || w[i] < 0.0f) {
                w[i] = 0.0f;
                unchanged = false;
            }
        }
    }
    for (GeometryElement& element : elements) {
        unchanged &= sanitizeElement(element, count);
    }
    return unchanged;
}

void MeshData::generateNormals() {
    std::vector<glm::vec3> sums(positions.size(), glm::vec3(0.0f));
    for (const GeometryElement& element : elements) {
        for (size_t i = 0; i + 2 < element.indices.size(); i += 3) {
            const uint32_t a = element.indices[i], b = element.indices[i + 1], c = element.indices[i + 2];
            if (a >= positions.size() || b >= positions.size() || c >= positions.size()) {
                continue;
            }
            // The unnormalised cross product weights each face by its area.
            const glm::vec3 n = glm::cross(positions[b] - positions[a], positions[c] - positions[a]);
            sums[a] += n;
            sums[b] += n;
            sums[c] += n;
        }
    }
    normals.resize(positions.size());
    for (size_t i = 0; i < sums.size(); ++i) {
        const float length = glm::length(sums[i]);
        normals[i] = length > 1e-20f && std::isfinite(length) ? sums[i] / length : glm::vec3(0, 1, 0);
    }
}

}  // namespace plimsa
