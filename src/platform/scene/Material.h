#pragma once

#include "platform/scene/MaterialProperty.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plimsa {

enum class LightingModel {
    physicallyBased,  // metallic-roughness PBR (the default)
    constant,         // unlit: the diffuse colour as is
};

enum class TransparencyMode {
    aOne,    // alpha = diffuse alpha (colour or image) x transparency (SceneKit's default)
    opaque,  // the diffuse alpha is ignored; only `transparency` makes the surface see-through (glTF OPAQUE)
};

/// A surface description shared by the geometries that use it (std::shared_ptr; identity matters:
/// characters collect their distinct materials by pointer). Every setter bumps `revision`, so a renderer
/// that caches per-material state can tell when to refresh it.
///
/// Defaults follow SceneKit: white diffuse, roughness 0.5, metalness 0, transparency 1 (opaque), single
/// sided, writes depth, physically based, no alpha cutoff. Colours are sRGB. The multiply property tints
/// the lit result (white = no change). `alphaCutoff` (glTF MASK) discards fragments whose alpha is below it
/// and draws the rest opaque. Not thread-safe: one thread at a time, like the scene that uses it.
class Material {
  public:
    static std::shared_ptr<Material> make(std::string name = {});
    /// A physically based material with a plain diffuse colour (alpha 1).
    static std::shared_ptr<Material> make(const glm::vec3& diffuse, float roughness, float metalness);

    Material();
    /// A new material with the same settings and a new identity.
    std::shared_ptr<Material> copy() const;

    const std::string& name() const { return name_; }
    void setName(std::string name);

    const MaterialProperty& diffuse() const { return diffuse_; }
    void setDiffuse(MaterialProperty property);
    void setDiffuseColor(const glm::vec4& rgba);  // also clears the diffuse image
    void setDiffuseImage(std::shared_ptr<Texture> image);
    void setDiffuseContentsTransform(const glm::mat4& transform);
    void setDiffuseWrap(WrapMode s, WrapMode t);

    /// Tangent-space normal map (OpenGL convention, +Y up in the image's green channel). No image = none.
    const MaterialProperty& normal() const { return normal_; }
    void setNormal(MaterialProperty property);
    void clearNormal();

    const MaterialProperty& multiply() const { return multiply_; }
    void setMultiply(MaterialProperty property);
    void setMultiplyColor(const glm::vec4& rgba);

    const MaterialProperty& emission() const { return emission_; }  // default black: no emission
    void setEmission(MaterialProperty property);

    float roughness() const { return roughness_; }
    void setRoughness(float roughness);  // clamped to [0, 1]; NaN becomes the default
    float metalness() const { return metalness_; }
    void setMetalness(float metalness);  // clamped to [0, 1]; NaN becomes the default

    /// 1 = opaque, 0 = invisible. Clamped to [0, 1].
    float transparency() const { return transparency_; }
    void setTransparency(float transparency);
    TransparencyMode transparencyMode() const { return transparencyMode_; }
    void setTransparencyMode(TransparencyMode mode);
    std::optional<float> alphaCutoff() const { return alphaCutoff_; }
    void setAlphaCutoff(std::optional<float> cutoff);

    bool isDoubleSided() const { return doubleSided_; }
    void setDoubleSided(bool doubleSided);
    bool writesToDepthBuffer() const { return writesToDepth_; }
    void setWritesToDepthBuffer(bool writes);
    LightingModel lightingModel() const { return lightingModel_; }
    void setLightingModel(LightingModel model);

    /// Whether surfaces with this material must be blended (drawn after opaque ones, back to front):
    /// transparency below 1, or in mode aOne a diffuse alpha below 1 or a diffuse image with transparent
    /// pixels, and no alpha cutoff.
    bool needsBlending() const;

    uint64_t identity() const { return identity_; }
    uint64_t revision() const { return revision_; }

  private:
    void changed() { ++revision_; }

    std::string name_;
    MaterialProperty diffuse_;
    MaterialProperty normal_;
    MaterialProperty multiply_;
    MaterialProperty emission_;
    float roughness_ = 0.5f;
    float metalness_ = 0.0f;
    float transparency_ = 1.0f;
    TransparencyMode transparencyMode_ = TransparencyMode::aOne;
    std::optional<float> alphaCutoff_;
    bool doubleSided_ = false;
    bool writesToDepth_ = true;
    LightingModel lightingModel_ = LightingModel::physicallyBased;
    uint64_t identity_;
    uint64_t revision_ = 1;
};

}  // namespace plimsa
