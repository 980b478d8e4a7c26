#include "platform/gltf/GltfMeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace plimsa {
namespace {

bool isTriangleMode(int mode) {
    return mode == TINYGLTF_MODE_TRIANGLES || mode == TINYGLTF_MODE_TRIANGLE_STRIP ||
           mode == TINYGLTF_MODE_TRIANGLE_FAN;
}

int attribute(const tinygltf::Primitive& primitive, const std::string& name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
}

// What MeshData keeps per vertex.
constexpr uint64_t kVertexBytes =
    2 * sizeof(glm::vec3) + sizeof(glm::vec2) + sizeof(glm::u16vec4) + sizeof(glm::vec4);

size_t expandedCount(size_t indices, int mode) {
    if (mode == TINYGLTF_MODE_TRIANGLES) return indices - indices % 3;
    return indices < 3 ? 0 : (indices - 2) * 3;
}

// Triangle lists from glTF's three triangle modes, keeping counter-clockwise winding.
std::vector<uint32_t> expand(const std::vector<uint32_t>& indices, int mode) {
    std::vector<uint32_t> triangles;
    const size_t n = indices.size();
    triangles.reserve(expandedCount(n, mode));
    if (mode == TINYGLTF_MODE_TRIANGLES) {
        triangles.assign(indices.begin(), indices.begin() + static_cast<long>(n - n % 3));
    } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
        for (size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0)
                triangles.insert(triangles.end(), {indices[i], indices[i + 1], indices[i + 2]});
            else
                triangles.insert(triangles.end(), {indices[i + 1], indices[i], indices[i + 2]});
        }
    } else {
        for (size_t i = 1; i + 1 < n; ++i)
            triangles.insert(triangles.end(), {indices[0], indices[i], indices[i + 1]});
    }
    return triangles;
}

// Smooth normals for one vertex set from the triangles that use it (indices relative to the set).
void generateNormals(MeshData& mesh, size_t base, size_t count, const std::vector<uint32_t>& triangles) {
    MeshData part;
    part.positions.assign(mesh.positions.begin() + static_cast<long>(base),
                          mesh.positions.begin() + static_cast<long>(base + count));
    part.elements.push_back({triangles});
    part.generateNormals();
    std::copy(part.normals.begin(), part.normals.end(), mesh.normals.begin() + static_cast<long>(base));
}

}  // namespace

GltfMeshBuilder::GltfMeshBuilder(const tinygltf::Model& model, GltfMaterialBuilder& materials,
                                 const GltfLimits& limits, GltfBudget& budget,
                                 std::vector<std::string>& warnings)
    : model_(model),
      accessors_(model, &budget),
      materials_(materials),
      budget_(budget),
      warnings_(warnings),
      verticesLeft_(limits.maxVertices),
      indicesLeft_(limits.maxIndices) {}

const GltfMesh* GltfMeshBuilder::mesh(int index, std::string& error) {
    if (index < 0 || static_cast<size_t>(index) >= model_.meshes.size()) {
        error = "mesh " + std::to_string(index) + " does not exist";
        return nullptr;
    }
    if (const auto found = built_.find(index); found != built_.end()) return &found->second;
    GltfMesh mesh;
    if (!build(model_.meshes[static_cast<size_t>(index)], mesh, error)) {
        error = "mesh " + std::to_string(index) + ": " + error;
        return nullptr;
    }
    return &built_.emplace(index, std::move(mesh)).first->second;
}

bool GltfMeshBuilder::build(const tinygltf::Mesh& source, GltfMesh& out, std::string& error) {
    MeshData mesh;
    std::vector<std::shared_ptr<Material>> materials;
    std::map<std::pair<std::map<std::string, int>, int>, VertexSet> sets;
    bool skipped = false;
    bool anyTexcoords = false;
    for (const tinygltf::Primitive& primitive : source.primitives) {
        if (!isTriangleMode(primitive.mode) || attribute(primitive, "POSITION") < 0) {
            skipped = true;
            continue;
        }
        const int texCoordSet = materials_.baseColorTexCoord(primitive.material);
        VertexSet& set = sets[{primitive.attributes, texCoordSet}];
        if (set.count == 0) {
            if (!addVertices(primitive, texCoordSet, mesh, set, error)) return false;
            if (!addSkinning(primitive, mesh, out, set)) {
                error = "unreadable joints or weights";
                return false;
            }
            anyTexcoords = anyTexcoords || set.hasTexcoords;
        }
        std::vector<uint32_t> triangles;
        if (!readTriangles(primitive, set.count, triangles, error)) return false;
        if (!set.hasNormals) {
            if (!budget_.take(set.count, 2 * sizeof(glm::vec3))) return false;  // the generator's copy
            generateNormals(mesh, set.base, set.count, triangles);
            set.hasNormals = true;
        }
        for (uint32_t& index : triangles) index += set.base;
        mesh.elements.push_back({std::move(triangles)});
        materials.push_back(materials_.material(primitive.material));
    }
    if (skipped)
        warnings_.push_back("a mesh has points, lines or position-less primitives; they are not drawn");
    if (mesh.elements.empty()) return true;
    if (!anyTexcoords) mesh.texcoords.clear();
    if (!out.hasJoints) {
        mesh.joints.clear();
        mesh.weights.clear();
    }
    out.geometry = Geometry::make(std::move(mesh), std::move(materials));
    return true;
}

bool GltfMeshBuilder::addVertices(const tinygltf::Primitive& primitive, int texCoordSet, MeshData& mesh,
                                  VertexSet& set, std::string& error) {
    const size_t count = model_.accessors[static_cast<size_t>(attribute(primitive, "POSITION"))].count;
    if (count == 0) return true;
    if (count > verticesLeft_) {
        error = "more vertices than allowed";
        return false;
    }
    if (!budget_.take(count, kVertexBytes)) return false;
    verticesLeft_ -= count;
    std::vector<float> values;
    if (!accessors_.readFloats(attribute(primitive, "POSITION"), values) || values.size() != count * 3) {
        error = "unreadable positions";
        return false;
    }
    set.base = static_cast<uint32_t>(mesh.positions.size());
    set.count = static_cast<uint32_t>(count);
    for (size_t i = 0; i < count; ++i)
        mesh.positions.emplace_back(values[i * 3], values[i * 3 + 1], values[i * 3 + 2]);

    const int normals = attribute(primitive, "NORMAL");
    set.hasNormals = normals >= 0 && accessors_.readFloats(normals, values) && values.size() == count * 3;
    for (size_t i = 0; i < count; ++i) {
        const glm::vec3 n =
            set.hasNormals ? glm::vec3(values[i * 3], values[i * 3 + 1], values[i * 3 + 2]) : glm::vec3(0.0f);
        const float length = glm::length(n);
        mesh.normals.push_back(std::isfinite(length) && length > 0.0f ? n / length
                                                                      : glm::vec3(0.0f, 1.0f, 0.0f));
    }

    int texcoords = attribute(primitive, "TEXCOORD_" + std::to_string(texCoordSet));
    if (texcoords < 0) texcoords = attribute(primitive, "TEXCOORD_0");
    set.hasTexcoords =
        texcoords >= 0 && accessors_.readFloats(texcoords, values) && values.size() == count * 2;
    for (size_t i = 0; i < count; ++i)
        mesh.texcoords.push_back(set.hasTexcoords ? glm::vec2(values[i * 2], values[i * 2 + 1])
                                                  : glm::vec2(0.0f));
    mesh.joints.resize(mesh.positions.size(), glm::u16vec4(0));
    mesh.weights.resize(mesh.positions.size(), glm::vec4(1.0f, 0.0f, 0.0f, 0.0f));
    return true;
}

// Reads JOINTS_0/WEIGHTS_0 into the vertex set just added.
bool GltfMeshBuilder::addSkinning(const tinygltf::Primitive& primitive, MeshData& mesh, GltfMesh& out,
                                  const VertexSet& set) {
    const size_t count = set.count;
    const int jointsAccessor = attribute(primitive, "JOINTS_0");
    const int weightsAccessor = attribute(primitive, "WEIGHTS_0");
    if (jointsAccessor < 0 || weightsAccessor < 0 || count == 0) return true;
    std::vector<uint32_t> joints;
    std::vector<float> weights;
    if (!accessors_.readUnsigned(jointsAccessor, joints) ||
        !accessors_.readFloats(weightsAccessor, weights) || joints.size() != count * 4 ||
        weights.size() != count * 4)
        return false;
    const size_t base = set.base;
    for (size_t v = 0; v < count; ++v) {
        glm::vec4 w;
        glm::u16vec4 j;
        for (int k = 0; k < 4; ++k) {
            const float value = weights[v * 4 + static_cast<size_t>(k)];
            w[k] = std::isfinite(value) && value > 0.0f ? value : 0.0f;
            j[k] = static_cast<uint16_t>(joints[v * 4 + static_cast<size_t>(k)]);
        }
        const float sum = w.x + w.y + w.z + w.w;
        if (!(sum > 0.0f))
            w = {1.0f, 0.0f, 0.0f, 0.0f};
        else
            w /= sum;
        for (int k = 0; k < 4; ++k) {
            if (w[k] == 0.0f)
                j[k] = 0;
            else
                out.maxJoint = std::max<uint32_t>(out.maxJoint, j[k]);
        }
        mesh.joints[base + v] = j;
        mesh.weights[base + v] = w;
    }
    out.hasJoints = true;
    return true;
}

bool GltfMeshBuilder::readTriangles(const tinygltf::Primitive& primitive, uint32_t vertexCount,
                                    std::vector<uint32_t>& out, std::string& error) {
    std::vector<uint32_t> indices;
    if (primitive.indices >= 0) {
        if (!accessors_.readUnsigned(primitive.indices, indices)) {
            error = "unreadable indices";
            return false;
        }
        for (uint32_t index : indices) {
            if (index >= vertexCount) {
                error = "index " + std::to_string(index) + " is past the " + std::to_string(vertexCount) +
                        " vertices";
                return false;
            }
        }
    } else {
        if (!budget_.take(vertexCount, sizeof(uint32_t))) return false;
        indices.resize(vertexCount);
        std::iota(indices.begin(), indices.end(), 0u);
    }
    const size_t count = expandedCount(indices.size(), primitive.mode);
    if (count > indicesLeft_) {
        error = "more indices than allowed";
        return false;
    }
    if (!budget_.take(count, sizeof(uint32_t))) return false;
    indicesLeft_ -= count;
    out = expand(indices, primitive.mode);
    return true;
}

}  // namespace plimsa
