#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <functional>
#include <vector>

namespace plimsa {

/// Meshes the zero level of a signed distance function (negative inside) over a regular grid with surface
/// nets: one vertex per grid cell the surface crosses, pulled onto the surface, and two triangles per grid
/// edge the surface crosses, wound counter-clockwise seen from outside. The solid must lie strictly inside
/// the box, so the mesh is closed. The function is assumed to change by at most its own change in position
/// (far from the surface whole blocks are skipped on that assumption). Deterministic; any thread.
class SurfaceNets {
  public:
    using Distance = std::function<float(const glm::vec3&)>;

    SurfaceNets(const Distance& distance, const glm::vec3& low, const glm::vec3& high, float step);

    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;  // unit gradients of the distance
    std::vector<uint32_t> triangles;

    /// The unit gradient of `distance` at p (central differences).
    static glm::vec3 gradient(const Distance& distance, const glm::vec3& p);

  private:
    void sample(const Distance& distance);
    void placeVertices(const Distance& distance);
    void connect();
    float value(int x, int y, int z) const { return values_[index(x, y, z)]; }
    size_t index(int x, int y, int z) const {
        return (static_cast<size_t>(z) * static_cast<size_t>(size_.y) + static_cast<size_t>(y)) *
                   static_cast<size_t>(size_.x) +
               static_cast<size_t>(x);
    }

    glm::vec3 low_;
    float step_;
    glm::ivec3 size_;                  // grid points per axis
    std::vector<float> values_;        // distance at every grid point
    std::vector<int32_t> cellVertex_;  // vertex of the cell whose lowest corner is the grid point, or -1
};

}  // namespace plimsa
