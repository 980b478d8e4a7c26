#include "platform/render/MaterialBinding.h"

#include "platform/render/ColorSpace.h"
#include "platform/render/MeshProgramKey.h"
#include "platform/render/ResourceCache.h"
#include "platform/render/ShaderProgram.h"
#include "platform/scene/Material.h"

#include <glm/gtc/type_ptr.hpp>

namespace plimsa {
namespace {

struct PropertyUniforms {
    const char* map;
    const char* uv;
};

GLuint textureOf(const MaterialProperty& property, bool srgb, ResourceCache& cache) {
    return property.hasImage() ? cache.texture(property.image, srgb) : 0;
}

// Binds the property's image (if usable) and returns whether it did.
bool bindProperty(ShaderProgram& program, const MaterialProperty& property, PropertyUniforms names, int unit,
                  bool srgb, ResourceCache& cache) {
    const GLuint texture = textureOf(property, srgb, cache);
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

uint32_t materialFeatures(const Material& material, ResourceCache& cache) {
    uint32_t features = 0;
    if (textureOf(material.diffuse(), true, cache)) features |= MeshProgramKey::kDiffuseMap;
    if (material.lightingModel() == LightingModel::constant) {
        features |= MeshProgramKey::kUnlit;
    } else if (textureOf(material.normal(), false, cache)) {
        features |= MeshProgramKey::kNormalMap;
    }
    if (textureOf(material.multiply(), true, cache)) features |= MeshProgramKey::kMultiplyMap;
    if (textureOf(material.emission(), true, cache)) features |= MeshProgramKey::kEmissionMap;
    if (material.alphaCutoff()) features |= MeshProgramKey::kAlphaCutoff;
    return features;
}

void applyMaterial(ShaderProgram& program, const Material& material, ResourceCache& cache) {
    const MaterialProperty& diffuse = material.diffuse();
    const glm::vec4 diffuseColor(linearColor(diffuse.color), glm::clamp(diffuse.color.a, 0.0f, 1.0f));
    glUniform4fv(program.uniform("uDiffuseColor"), 1, glm::value_ptr(diffuseColor));
    bindProperty(program, diffuse, {"uDiffuseMap", "uDiffuseUv"}, kDiffuseUnit, true, cache);
    bindProperty(program, material.normal(), {"uNormalMap", "uNormalUv"}, kNormalUnit, false, cache);

    const MaterialProperty& multiply = material.multiply();
    glUniform3fv(program.uniform("uMultiplyColor"), 1, glm::value_ptr(linearColor(multiply.color)));
    bindProperty(program, multiply, {"uMultiplyMap", "uMultiplyUv"}, kMultiplyUnit, true, cache);

    const MaterialProperty& emission = material.emission();
    // An emission image with the default black colour would vanish; like SceneKit, an image replaces the colour.
    const glm::vec3 emissionColor = emission.hasImage() ? glm::vec3(1.0f) : linearColor(emission.color);
    glUniform3fv(program.uniform("uEmissionColor"), 1, glm::value_ptr(emissionColor));
    bindProperty(program, emission, {"uEmissionMap", "uEmissionUv"}, kEmissionUnit, true, cache);

    glUniform1f(program.uniform("uRoughness"), material.roughness());
    glUniform1f(program.uniform("uMetalness"), material.metalness());
    glUniform1f(program.uniform("uTransparency"), material.transparency());
    glUniform1f(program.uniform("uAlphaFromDiffuse"), material.transparencyMode() == TransparencyMode::aOne ? 1.0f : 0.0f);
    glUniform1f(program.uniform("uAlphaCutoff"), material.alphaCutoff() ? *material.alphaCutoff() : 0.0f);

    if (material.isDoubleSided()) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
    }
    glDepthMask(material.writesToDepthBuffer() ? GL_TRUE : GL_FALSE);
}

}  // namespace plimsa
