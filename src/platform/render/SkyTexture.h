#pragma once

#include "platform/render/GlObject.h"

#include <glm/vec3.hpp>

#include <array>

namespace plimsa {

class Sky;

/// A Sky's lighting on the GPU: its prefiltered specular levels as the mip chain of one half-float cube
/// map (level i filtered for GGX roughness i / (levels - 1)), and its diffuse SH coefficients. The thread
/// of the context it was made in.
class SkyTexture {
public:
    explicit SkyTexture(const Sky& sky);

    GLuint cubeMap() const { return cubeMap_.id(); }
    /// The mip level that holds roughness 1.
    float maxLod() const { return maxLod_; }
    const std::array<glm::vec3, 9>& diffuseCoefficients() const { return coefficients_; }

private:
    GlTexture cubeMap_;
    float maxLod_ = 0.0f;
    std::array<glm::vec3, 9> coefficients_{};
};

}  // namespace plimsa
