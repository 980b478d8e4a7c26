#include "platform/scene/Geometry.h"

#include "platform/scene/SceneObjectIdentity.h"

#include <algorithm>

namespace plimsa {

namespace {

BoundingBox boxAround(const std::vector<glm::vec3>& positions) {
    BoundingBox box;
    for (const glm::vec3& p : positions) {
        box.add(p);
    }
    return box;
}

}  // namespace

std::shared_ptr<Geometry> Geometry::make(MeshData mesh, std::vector<std::shared_ptr<Material>> materials) {
    return std::make_shared<Geometry>(std::move(mesh), std::move(materials));
}

Geometry::Geometry(MeshData mesh, std::vector<std::shared_ptr<Material>> materials)
    : identity_(nextSceneObjectIdentity()) {
    mesh_ = std::move(mesh);
    mesh_.sanitize();
    boundingBox_ = boxAround(mesh_.positions);
    setMaterials(std::move(materials));
    materialsRevision_ = 1;
}

void Geometry::setMesh(MeshData mesh) {
    mesh_ = std::move(mesh);
    mesh_.sanitize();
    boundingBox_ = boxAround(mesh_.positions);
    ++revision_;
}

void Geometry::setMaterials(std::vector<std::shared_ptr<Material>> materials) {
    std::erase(materials, nullptr);
    if (materials.empty()) {
        materials.push_back(Material::make());
    }
    materials_ = std::move(materials);
    ++materialsRevision_;
}

void Geometry::setFirstMaterial(std::shared_ptr<Material> material) {
    if (material) {
        materials_.front() = std::move(material);
        ++materialsRevision_;
    }
}

const std::shared_ptr<Material>& Geometry::materialForElement(size_t index) const {
    return materials_[index % materials_.size()];
}

}  // namespace plimsa
