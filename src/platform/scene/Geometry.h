#pragma once

#include "platform/scene/BoundingBox.h"
#include "platform/scene/Material.h"
#include "platform/scene/MeshData.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plimsa {

/// A mesh shared by the nodes that show it (std::shared_ptr): vertex arrays and triangle lists
/// (MeshData) in the geometry's own space, plus a material list where element i uses material
/// i % materials().size(). Construction and `setMesh` sanitize the data (MeshData::sanitize), so any
/// Geometry is safe to draw whatever file it came from. The bounding box is recomputed with the mesh.
///
/// `identity` never changes; `revision` is bumped by `setMesh` (vertex or index data changed) and
/// `materialsRevision` by material-list changes, so renderers keep one set of GPU buffers per geometry
/// and re-upload only when the mesh itself changed. Not thread-safe: one thread at a time.
class Geometry {
  public:
    /// A geometry with the given mesh and materials; with no materials it gets one new default material.
    static std::shared_ptr<Geometry> make(MeshData mesh,
                                          std::vector<std::shared_ptr<Material>> materials = {});

    Geometry(MeshData mesh, std::vector<std::shared_ptr<Material>> materials);

    const MeshData& mesh() const { return mesh_; }
    void setMesh(MeshData mesh);

    /// The vertex arrays present (SceneKit's geometrySources), with their vector counts.
    std::vector<GeometrySource> geometrySources() const { return mesh_.sources(); }
    size_t vertexCount() const { return mesh_.vertexCount(); }
    const std::vector<GeometryElement>& elements() const { return mesh_.elements; }

    const std::vector<std::shared_ptr<Material>>& materials() const { return materials_; }
    /// Replaces the material list; null entries are dropped, and an empty list gets one default material.
    void setMaterials(std::vector<std::shared_ptr<Material>> materials);
    /// The first material (never null).
    const std::shared_ptr<Material>& firstMaterial() const { return materials_.front(); }
    void setFirstMaterial(std::shared_ptr<Material> material);
    /// The material element `index` is drawn with.
    const std::shared_ptr<Material>& materialForElement(size_t index) const;

    /// Minimum and maximum corners of all vertex positions, in the geometry's space (empty without vertices).
    const BoundingBox& boundingBox() const { return boundingBox_; }

    uint64_t identity() const { return identity_; }
    uint64_t revision() const { return revision_; }
    uint64_t materialsRevision() const { return materialsRevision_; }

  private:
    MeshData mesh_;
    std::vector<std::shared_ptr<Material>> materials_;
    BoundingBox boundingBox_;
    uint64_t identity_;
    uint64_t revision_ = 1;
    uint64_t materialsRevision_ = 1;
};

}  // namespace plimsa
