#include "platform/scene/Material.h"

#include "platform/scene/SceneObjectIdentity.h"

#include <algorithm>
#include <cmath>

namespace plimsa {

namespace {

float unitOr(float value, float fallback) {
    return std::isnan(value) ? fallback : std::clamp(value, 0.0f, 1.0f);
}

}  // namespace

std::shared_ptr<Material> Material::make(std::string name) {
    auto material = std::make_shared<Material>();
    material->name_ = std::move(name);
    return material;
}

std::shared_ptr<Material> Material::make(const glm::vec3& diffuse, float roughness, float metalness) {
    auto material = std::make_shared<Material>();
    material->diffuse_.color = glm::vec4(diffuse, 1.0f);
    material->setRoughness(roughness);
    material->setMetalness(metalness);
    return material;
}

Material::Material() : identity_(nextSceneObjectIdentity()) {
    multiply_.color = glm::vec4(1.0f);
    emission_.color = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
}

std::shared_ptr<Material> Material::copy() const {
    auto material = std::make_shared<Material>(*this);
    material->identity_ = nextSceneObjectIdentity();
    material->revision_ = 1;
    return material;
}

void Material::setName(std::string name) {
    name_ = std::move(name);
    changed();
}

void Material::setDiffuse(MaterialProperty property) {
    diffuse_ = std::move(property);
    changed();
}

void Material::setDiffuseColor(const glm::vec4& rgba) {
    diffuse_.color = rgba;
    diffuse_.image.reset();
    changed();
}

void Material::setDiffuseImage(std::shared_ptr<Texture> image) {
    diffuse_.image = std::move(image);
    changed();
}

void Material::setDiffuseContentsTransform(const glm::mat4& transform) {
    diffuse_.contentsTransform = transform;
    changed();
}

void Material::setDiffuseWrap(WrapMode s, WrapMode t) {
    diffuse_.wrapS = s;
    diffuse_.wrapT = t;
    changed();
}

void Material::setNormal(MaterialProperty property) {
    normal_ = std::move(property);
    changed();
}

void Material::clearNormal() {
    normal_ = MaterialProperty{};
    changed();
}

void Material::setMultiply(MaterialProperty property) {
    multiply_ = std::move(property);
    changed();
}

void Material::setMultiplyColor(const glm::vec4& rgba) {
    multiply_.color = rgba;
    multiply_.image.reset();
    changed();
}

void Material::setEmission(MaterialProperty property) {
    emission_ = std::move(property);
    changed();
}

void Material::setRoughness(float roughness) {
    roughness_ = unitOr(roughness, 0.5f);
    changed();
}

void Material::setMetalness(float metalness) {
    metalness_ = unitOr(metalness, 0.0f);
    changed();
}

void Material::setTransparency(float transparency) {
    transparency_ = unitOr(transparency, 1.0f);
    changed();
}

void Material::setTransparencyMode(TransparencyMode mode) {
    transparencyMode_ = mode;
    changed();
}

void Material::setAlphaCutoff(std::optional<float> cutoff) {
    if (cutoff && std::isnan(*cutoff)) {
        cutoff.reset();
    }
    alphaCutoff_ = cutoff;
    changed();
}

void Material::setDoubleSided(bool doubleSided) {
    doubleSided_ = doubleSided;
    changed();
}

void Material::setWritesToDepthBuffer(bool writes) {
    writesToDepth_ = writes;
    changed();
}

void Material::setLightingModel(LightingModel model) {
    lightingModel_ = model;
    changed();
}

bool Material::needsBlending() const {
    if (alphaCutoff_) {
        return false;
    }
    if (transparency_ < 1.0f) {
        return true;
    }
    if (transparencyMode_ != TransparencyMode::aOne) {
        return false;
    }
    if (diffuse_.hasImage()) {
        return diffuse_.image->hasTransparency();
    }
    return diffuse_.color.a < 1.0f;
}

}  // namespace plimsa
