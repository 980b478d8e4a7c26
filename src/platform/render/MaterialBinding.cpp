#include "platform/render/MaterialBinding.h"

#include "platform/render/ColorSpace.h"
#include "platform/render/ResourceCache.h"
#include "platform/render/ShaderProgram.h"
#include "platform/scene/Material.h"

#include <glm/gtc/type_ptr.hpp>

namespace plimsa {
namespace {

struct PropertyUniforms {
    const char* hasMap;
    const char* map;
    const char* uv;
};

// Binds the property's image (if usable) and returns whether it did.
bool bindProperty(ShaderProgram& program, const MaterialProperty& property, PropertyUniforms names, int unit,
                  bool srgb, ResourceCache& cache) {
    GLuint texture = property.hasImage() ? cache.texture(property.image, srgb) : 0;
    glUniform1i(program.uniform(names.hasMap), texture != 0 ? 1 : 0);
    if (texture == 0) return false;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(static_cast<GLuint>(unit), cache.sampler(property.wrapS, property.wrapT));
    glUniform1i(program.uniform(names.map), unit);
    const glm::mat3 uv = property.uvTransform();
    glUniformMatrix3fv(program.uniform(names.uv), 1, GL_FALSE, glm::value_ptr(uv));
    return true;
}

glm::vec3 linearColor(const glm::vec4& srgb) { return srgbToLinear(glm::clamp(glm::vec3(srgb), 0.0f, 1.0f)); }

}  // namespace

void applyMaterial(ShaderProgram& program, const Material& material, ResourceCache& cache) {
    const MaterialProperty& diffuse = material.diffuse();
    const glm::vec4 diffuseColor(linearColor(diffuse.color), glm::clamp(diffuse.color.a, 0.0f, 1.0f));
    glUniform4fv(program.uniform("uDiffuseColor"), 1, glm::value_ptr(diffuseColor));
    bindProperty(program, diffuse, {"uHasDiffuseMap", "uDiffuseMap", "uDiffuseUv"}, kDiffuseUnit, true, cache);
    bindProperty(program, material.normal(), {"uHasNormalMap", "uNormalMap", "uNormalUv"}, kNormalUnit, false, cache);

    const MaterialProperty& multiply = material.multiply();
    glUniform3fv(program.uniform("uMultiplyColor"), 1, glm::value_ptr(linearColor(multiply.color)));
    bindProperty(program, multiply, {"uHasMultiplyMap", "uMultiplyMap", "uMultiplyUv"}, kMultiplyUnit, true, cache);

    const MaterialProperty& emission = material.emission();
    // An emission image with the default black colour would vanish; like SceneKit, an image replaces the colour.
    const glm::vec3 emissionColor = emission.hasImage() ? glm::vec3(1.0f) : linearColor(emission.color);
    glUniform3fv(program.uniform("uEmissionColor"), 1, glm::value_ptr(emissionColor));
    bindProperty(program, emission, {"uHasEmissionMap", "uEmissionMap", "uEmissionUv"}, kEmissionUnit, true, cache);

    glUniform1f(program.uniform("uRoughness"), material.roughness());
    glUniform1f(program.uniform("uMetalness"), material.metalness());
    glUniform1f(program.uniform("uTransparency"), material.transparency());
    glUniform1i(program.uniform("uAlphaFromDiffuse"), material.transparencyMode() == TransparencyMode::aOne ? 1 : 0);
    glUniform1f(program.uniform("uAlphaCutoff"), material.alphaCutoff() ? *material.alphaCutoff() : -1.0f);
    glUniform1i(program.uniform("uUnlit"), material.lightingModel() == LightingModel::constant ? 1 : 0);

    if (material.isDoubleSided()) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
    }
    glDepthMask(material.writesToDepthBuffer() ? GL_TRUE : GL_FALSE);
}

}  // namespace plimsa
