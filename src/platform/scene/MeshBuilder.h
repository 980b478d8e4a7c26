#pragma once

#include "platform/scene/MeshData.h"

namespace plimsa {

/// Internal helper for the primitive shapes: collects vertices and one triangle element.
class MeshBuilder {
  public:
    /// The index the next vertex will get.
    uint32_t nextIndex() const { return static_cast<uint32_t>(mesh_.positions.size()); }
    uint32_t addVertex(const glm::vec3& position, const glm::vec3& normal, const glm::vec2& texcoord);
    /// Adds the triangle wound counter-clockwise as seen from the side its vertex normals face (the
    /// order given is fixed up when needed); triangles of zero area are left out.
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);
    /// Two triangles over the quad a-b-c-d (in order around its edge).
    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    /// Triangles over a (columns x rows) grid of vertices laid out row by row starting at `first`.
    void addGrid(uint32_t first, int columns, int rows);

    MeshData finish();

  private:
    MeshData mesh_{.positions = {},
                   .normals = {},
                   .texcoords = {},
                   .joints = {},
                   .weights = {},
                   .elements = {GeometryElement{}}};
};

}  // namespace plimsa
