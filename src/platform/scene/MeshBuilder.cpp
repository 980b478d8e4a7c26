#include "platform/scene/MeshBuilder.h"

namespace plimsa {

uint32_t MeshBuilder::addVertex(const glm::vec3& position, const glm::vec3& normal,
                                const glm::vec2& texcoord) {
    mesh_.positions.push_back(position);
    mesh_.normals.push_back(normal);
    mesh_.texcoords.push_back(texcoord);
    return static_cast<uint32_t>(mesh_.positions.size() - 1);
}

void MeshBuilder::addTriangle(uint32_t a, uint32_t b, uint32_t c) {
    const std::vector<glm::vec3>& p = mesh_.positions;
    const glm::vec3 face = glm::cross(p[b] - p[a], p[c] - p[a]);
    const float area = glm::length(face);
    const float scale = glm::length(p[b] - p[a]) * glm::length(p[c] - p[a]);
    if (!(area > 1e-7f * scale) || scale == 0.0f) {
        return;  // degenerate: a collapsed pole, apex or zero-size side
    }
    const glm::vec3 normals = mesh_.normals[a] + mesh_.normals[b] + mesh_.normals[c];
    std::vector<uint32_t>& indices = mesh_.elements.front().indices;
    if (glm::dot(face, normals) >= 0.0f) {
        indices.insert(indices.end(), {a, b, c});
    } else {
        indices.insert(indices.end(), {a, c, b});
    }
}

void MeshBuilder::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

void MeshBuilder::addGrid(uint32_t first, int columns, int rows) {
    const auto at = [first, columns](int column, int row) {
        return first + static_cast<uint32_t>(row * columns + column);
    };
    for (int row = 0; row + 1 < rows; ++row) {
        for (int column = 0; column + 1 < columns; ++column) {
            addQuad(at(column, row), at(column + 1, row), at(column + 1, row + 1), at(column, row + 1));
        }
    }
}

MeshData MeshBuilder::finish() {
    return std::move(mesh_);
}

}  // namespace plimsa
