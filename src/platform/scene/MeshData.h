#pragma once

#include "platform/scene/GeometryElement.h"
#include "platform/scene/GeometrySource.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_precision.hpp>

#include <vector>

namespace plimsa {

/// The vertex arrays and triangle lists of a geometry, in the geometry's own space (scene units).
/// `positions` defines the vertex count; every other array is either empty (absent) or exactly that long.
/// Texture coordinates follow SceneKit and glTF: (0, 0) is the top-left of the image, v grows downward.
/// `joints` index the bones of the node's Skinner, with `weights` (summing to 1) giving up to four
/// influences per vertex; both present or both absent. Plain value, any thread.
struct MeshData {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texcoords;
    std::vector<glm::u16vec4> joints;
    std::vector<glm::vec4> weights;
    std::vector<GeometryElement> elements;

    size_t vertexCount() const { return positions.size(); }
    /// The arrays present, in the order vertex, normal, texcoord, boneIndices, boneWeights.
    std::vector<GeometrySource> sources() const;

    /// Makes the data safe to draw, never failing: optional arrays whose length differs from the vertex
    /// count are dropped (joints and weights together), triangles with an index out of range or an
    /// incomplete trailing triangle are dropped, non-finite positions become 0. Returns true when nothing
    /// had to change.
    bool sanitize();

    /// Fills `normals` with area-weighted smooth vertex normals from the triangles (vertices used by no
    /// triangle get (0, 1, 0)). For meshes that come without normals.
    void generateNormals();

    bool operator==(const MeshData&) const = default;
};

}  // namespace plimsa
