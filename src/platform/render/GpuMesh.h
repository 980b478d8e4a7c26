#pragma once

#include "platform/render/GlObject.h"

#include <cstddef>
#include <vector>

namespace plimsa {

struct MeshData;

/// The GPU copy of one geometry's mesh: one vertex array with positions (location 0), normals (1),
/// texture coordinates (2), joint indices (3, integer) and weights (4), and one index buffer holding every
/// element. Missing normals are generated; a missing array is a constant attribute. Move-only; the thread
/// of the context it was made in.
class GpuMesh {
public:
    struct Range {
        size_t firstIndex = 0;
        int count = 0;
    };

    explicit GpuMesh(const MeshData& mesh);

    void bind() const { glBindVertexArray(vertexArray_.id()); }
    /// Draws element `element` (bind() first). No-op for an element out of range.
    void drawElement(size_t element) const;
    bool isSkinnable() const { return hasJoints_; }
    size_t byteSize() const { return byteSize_; }

private:
    GlVertexArray vertexArray_;
    GlBuffer vertices_;
    GlBuffer indices_;
    std::vector<Range> ranges_;
    bool hasJoints_ = false;
    size_t byteSize_ = 0;
};

}  // namespace plimsa
