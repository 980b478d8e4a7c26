#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfAccessors.h"
#include "platform/gltf/GltfBudget.h"
#include "platform/gltf/GltfLimits.h"
#include "platform/gltf/GltfMaterialBuilder.h"
#include "platform/scene/Geometry.h"

#include <tiny_gltf.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plimsa {

/// One glTF mesh as one geometry: an element per triangle primitive (strips and fans expanded, points
/// and lines skipped) with that primitive's material. Primitives that share their vertex accessors share
/// vertices. Missing normals are generated; joints and weights are normalised, with the joint of a
/// zero-weight influence set to 0. `maxJoint` is the highest joint index with a non-zero weight, for the
/// caller to check against the skin.
struct GltfMesh {
    std::shared_ptr<Geometry> geometry;  // null when no primitive can be drawn
    bool hasJoints = false;
    uint32_t maxJoint = 0;
};

/// Builds the meshes of one document, each once, charging `budget` for the vertices, triangles and
/// accessor values before it allocates them. One instance per build; not thread-safe.
class GltfMeshBuilder {
  public:
    GltfMeshBuilder(const tinygltf::Model& model, GltfMaterialBuilder& materials, const GltfLimits& limits,
                    GltfBudget& budget, std::vector<std::string>& warnings);

    /// The mesh at `index` (built on first request). Null with `error` set when its data is bad: an
    /// index past its vertices, or more vertices or indices than the limits or the budget allow.
    const GltfMesh* mesh(int index, std::string& error);

  private:
    struct VertexSet {
        uint32_t base = 0;
        uint32_t count = 0;
        bool hasNormals = false;
        bool hasTexcoords = false;
    };

    bool build(const tinygltf::Mesh& source, GltfMesh& out, std::string& error);
    bool addVertices(const tinygltf::Primitive& primitive, int texCoordSet, MeshData& mesh, VertexSet& set,
                     std::string& error);
    bool addSkinning(const tinygltf::Primitive& primitive, MeshData& mesh, GltfMesh& out,
                     const VertexSet& set);
    bool readTriangles(const tinygltf::Primitive& primitive, uint32_t vertexCount, std::vector<uint32_t>& out,
                       std::string& error);

    const tinygltf::Model& model_;
    GltfAccessors accessors_;
    GltfMaterialBuilder& materials_;
    GltfBudget& budget_;
    std::vector<std::string>& warnings_;
    size_t verticesLeft_;
    size_t indicesLeft_;
    std::map<int, GltfMesh> built_;
};

}  // namespace plimsa
