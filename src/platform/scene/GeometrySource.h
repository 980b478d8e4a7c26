#pragma once

#include <cstddef>
#include <string>

namespace plimsa {

/// What a vertex array of a geometry holds, with SceneKit's semantic names.
enum class GeometrySemantic { vertex, normal, texcoord, boneIndices, boneWeights };

/// "vertex", "normal", "texcoord", "boneIndices", "boneWeights".
const char* semanticName(GeometrySemantic semantic);

/// A description of one vertex array of a geometry (the data itself lives in the geometry's MeshData).
/// Used for diagnostics ("vertex x 1200") and by code that only needs counts. Plain value.
struct GeometrySource {
    GeometrySemantic semantic = GeometrySemantic::vertex;
    size_t vectorCount = 0;
    int componentsPerVector = 3;

    /// "<semantic> x <vectorCount>", for diagnostic lines.
    std::string description() const;
    bool operator==(const GeometrySource&) const = default;
};

}  // namespace plimsa
