#include "platform/gltf/GltfMaterialBuilder.h"

#include "platform/gltf/GltfImageDecoder.h"
#include "platform/gltf/GltfVrm.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace plimsa {
namespace {

float srgbFromLinear(double linear) {
    const double c = std::isfinite(linear) ? std::clamp(linear, 0.0, 1.0) : 1.0;
    return static_cast<float>(c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055);
}

glm::vec4 srgbColor(const std::vector<double>& factor, double fallback = 1.0) {
    const auto at = [&](size_t i) { return i < factor.size() ? factor[i] : fallback; };
    const double alpha =
        factor.size() >= 4 && std::isfinite(factor[3]) ? std::clamp(factor[3], 0.0, 1.0) : 1.0;
    return {srgbFromLinear(at(0)), srgbFromLinear(at(1)), srgbFromLinear(at(2)), static_cast<float>(alpha)};
}

WrapMode wrapMode(int gl) {
    switch (gl) {
        case TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE:
            return WrapMode::clamp;
        case TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT:
            return WrapMode::mirror;
        default:
            return WrapMode::repeat;
    }
}

double number(const tinygltf::Value& value, double fallback) {
    return value.IsNumber() && std::isfinite(value.GetNumberAsDouble()) ? value.GetNumberAsDouble()
                                                                        : fallback;
}

glm::vec2 pair(const tinygltf::Value& value, glm::vec2 fallback) {
    if (!value.IsArray() || value.ArrayLen() != 2) return fallback;
    return {static_cast<float>(number(value.Get(0), fallback.x)),
            static_cast<float>(number(value.Get(1), fallback.y))};
}

// KHR_texture_transform: uv' = T(offset) * R(rotation) * S(scale) * uv, with the extension's rotation sense.
glm::mat4 textureTransform(const tinygltf::ExtensionMap& extensions) {
    const auto found = extensions.find("KHR_texture_transform");
    if (found == extensions.end() || !found->second.IsObject()) return glm::mat4(1.0f);
    const tinygltf::Value& transform = found->second;
    const glm::vec2 offset = pair(transform.Get("offset"), {0.0f, 0.0f});
    const glm::vec2 scale = pair(transform.Get("scale"), {1.0f, 1.0f});
    const auto rotation = static_cast<float>(number(transform.Get("rotation"), 0.0));
    glm::mat4 turn(1.0f);
    turn[0][0] = std::cos(rotation);
    turn[0][1] = -std::sin(rotation);
    turn[1][0] = std::sin(rotation);
    turn[1][1] = std::cos(rotation);
    return glm::translate(glm::mat4(1.0f), glm::vec3(offset, 0.0f)) * turn *
           glm::scale(glm::mat4(1.0f), glm::vec3(scale, 1.0f));
}

}  // namespace

GltfMaterialBuilder::GltfMaterialBuilder(const tinygltf::Model& model, const GltfLimits& limits,
                                         GltfBudget& budget, std::vector<std::string>& warnings)
    : model_(model),
      budget_(budget),
      warnings_(warnings),
      pixelsLeft_(limits.maxImagePixels),
      materials_(model.materials.size()),
      textures_(model.images.size()),
      imageTried_(model.images.size(), false) {}

std::shared_ptr<Material> GltfMaterialBuilder::material(int index) {
    if (index < 0 || static_cast<size_t>(index) >= materials_.size()) {
        if (!defaultMaterial_) {
            defaultMaterial_ = Material::make(glm::vec3(1.0f), 1.0f, 1.0f);
            defaultMaterial_->setTransparencyMode(TransparencyMode::opaque);
        }
        return defaultMaterial_;
    }
    auto& slot = materials_[static_cast<size_t>(index)];
    if (!slot) slot = makeMaterial(model_.materials[static_cast<size_t>(index)]);
    return slot;
}

int GltfMaterialBuilder::baseColorTexCoord(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= model_.materials.size()) return 0;
    const auto& info = model_.materials[static_cast<size_t>(index)].pbrMetallicRoughness.baseColorTexture;
    if (info.index < 0) return 0;
    int set = info.texCoord;
    if (const auto found = info.extensions.find("KHR_texture_transform"); found != info.extensions.end())
        set = static_cast<int>(number(found->second.Get("texCoord"), set));
    return set;
}

std::shared_ptr<Material> GltfMaterialBuilder::makeMaterial(const tinygltf::Material& source) {
    auto material = Material::make(source.name);
    const auto& pbr = source.pbrMetallicRoughness;
    glm::vec4 base = srgbColor(pbr.baseColorFactor);
    MaterialProperty diffuse = textureProperty(pbr.baseColorTexture.index, pbr.baseColorTexture.extensions);
    // Toon shaders draw here with their base colour; a VRM 0.x material may keep that colour only in its
    // toon properties (sRGB already), used when the glTF material shows no texture.
    const GltfVrm::Toon toon = GltfVrm::toon(model_, source);
    if (pbr.baseColorTexture.index < 0 && toon.mainTexture >= 0) {
        diffuse = textureProperty(toon.mainTexture, {});
        if (toon.color && glm::vec3(base) == glm::vec3(1.0f)) base = *toon.color;
    }
    if (diffuse.hasImage()) {
        material->setDiffuse(diffuse);
        if (glm::vec3(base) != glm::vec3(1.0f)) material->setMultiplyColor(glm::vec4(glm::vec3(base), 1.0f));
    } else {
        material->setDiffuseColor(base);
    }
    material->setRoughness(toon.toon ? 1.0f : static_cast<float>(pbr.roughnessFactor));
    material->setMetalness(toon.toon ? 0.0f : static_cast<float>(pbr.metallicFactor));

    if (source.alphaMode == "BLEND") {
        material->setTransparencyMode(TransparencyMode::aOne);
        if (diffuse.hasImage()) material->setTransparency(base.a);
    } else if (source.alphaMode == "MASK") {
        material->setTransparencyMode(TransparencyMode::aOne);
        const double cutoff = std::isfinite(source.alphaCutoff) ? source.alphaCutoff : 0.5;
        material->setAlphaCutoff(static_cast<float>(std::clamp(cutoff, 0.0, 1.0)));
    } else {
        material->setTransparencyMode(TransparencyMode::opaque);
    }
    material->setDoubleSided(source.doubleSided);

    MaterialProperty normal = textureProperty(source.normalTexture.index, source.normalTexture.extensions);
    if (normal.hasImage()) material->setNormal(normal);
    MaterialProperty emission =
        textureProperty(source.emissiveTexture.index, source.emissiveTexture.extensions);
    const glm::vec4 glow = srgbColor(source.emissiveFactor, 0.0);
    if (!emission.hasImage()) emission.color = glm::vec4(glm::vec3(glow), 1.0f);
    if (emission.hasImage() || glm::vec3(glow) != glm::vec3(0.0f)) material->setEmission(emission);
    if (source.extensions.count("KHR_materials_unlit")) material->setLightingModel(LightingModel::constant);
    return material;
}

MaterialProperty GltfMaterialBuilder::textureProperty(int textureIndex,
                                                      const tinygltf::ExtensionMap& extensions) {
    MaterialProperty property;
    if (textureIndex < 0 || static_cast<size_t>(textureIndex) >= model_.textures.size()) return property;
    property.image = texture(textureIndex);
    if (!property.image) return property;
    const tinygltf::Texture& source = model_.textures[static_cast<size_t>(textureIndex)];
    property.wrapS = property.wrapT = WrapMode::repeat;  // glTF's default without a sampler
    if (source.sampler >= 0 && static_cast<size_t>(source.sampler) < model_.samplers.size()) {
        property.wrapS = wrapMode(model_.samplers[static_cast<size_t>(source.sampler)].wrapS);
        property.wrapT = wrapMode(model_.samplers[static_cast<size_t>(source.sampler)].wrapT);
    }
    property.contentsTransform = textureTransform(extensions);
    return property;
}

std::shared_ptr<Texture> GltfMaterialBuilder::texture(int textureIndex) {
    const int image = model_.textures[static_cast<size_t>(textureIndex)].source;
    if (image < 0 || static_cast<size_t>(image) >= textures_.size()) return nullptr;
    const auto slot = static_cast<size_t>(image);
    if (imageTried_[slot]) return textures_[slot];
    imageTried_[slot] = true;
    const tinygltf::Image& source = model_.images[slot];
    if (source.image.empty()) return nullptr;  // missing or unrecognised; already warned about
    const std::string name = "image " + std::to_string(image);
    // The size comes from the header, read while parsing; decoding checks it again before allocating.
    const uint64_t pixels = static_cast<uint64_t>(source.width) * static_cast<uint64_t>(source.height);
    if (!budget_.fits(pixels, 4)) {
        warnings_.push_back(
            name + " would take more memory than is left for the model; its materials stay untextured");
        return nullptr;
    }
    std::optional<Image> decoded =
        GltfImageDecoder::decode(source.image, std::min<uint64_t>(pixelsLeft_, pixels));
    if (!decoded) {
        warnings_.push_back(name + " could not be decoded; its materials stay untextured");
        return nullptr;
    }
    budget_.take(pixels, 4);
    pixelsLeft_ -= static_cast<size_t>(pixels);
    textures_[slot] = Texture::make(std::move(*decoded), source.name);
    return textures_[slot];
}

}  // namespace plimsa
