#pragma once

#include <glm/vec3.hpp>

#include <cstddef>
#include <vector>

namespace plimsa {

/// A CPU cube map of linear RGB floats with a box-filtered mip chain, laid out like OpenGL's faces
/// (+X, -X, +Y, -Y, +Z, -Z; texel (s, t) with s = column, t = row). Used to build the sky's lighting.
/// Immutable after construction; any thread.
class CubeMap {
public:
    /// `faces`: 6 * size * size * 3 floats. `size` should be a power of two.
    CubeMap(const std::vector<float>& faces, int size);

    /// Bilinear within a face, linear between mip levels; `lod` 0 is the full size.
    glm::vec3 sample(glm::vec3 direction, float lod) const;

    /// The unit direction through the centre of a texel.
    static glm::vec3 texelDirection(int face, int column, int row, int size);
    /// The solid angle a texel covers (steradians).
    static float texelSolidAngle(int column, int row, int size);
    static size_t texelIndex(int face, int column, int row, int size) {
        return (static_cast<size_t>(face) * size + row) * size + column;
    }

private:
    glm::vec3 sampleLevel(int face, float s, float t, int level) const;

    std::vector<std::vector<float>> levels_;
    std::vector<int> sizes_;
};

}  // namespace plimsa
