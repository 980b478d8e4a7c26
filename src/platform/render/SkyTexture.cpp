#include "platform/render/SkyTexture.h"

#include "platform/render/Sky.h"

namespace plimsa {

SkyTexture::SkyTexture(const Sky& sky)
    : cubeMap_(GlTexture::generate()), maxLod_(static_cast<float>(Sky::kLevelCount - 1)),
      coefficients_(sky.diffuseCoefficients()) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap_.id());
    for (int level = 0; level < Sky::kLevelCount; ++level) {
        const int size = sky.faceSize(level);
        const float* data = sky.level(level).data();
        for (int face = 0; face < 6; ++face) {
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face), level, GL_RGBA16F, size, size, 0,
                         GL_RGB, GL_FLOAT, data + static_cast<size_t>(face) * size * size * 3);
        }
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, Sky::kLevelCount - 1);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

}  // namespace plimsa
