#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfBudget.h"
#include "platform/gltf/GltfLimits.h"
#include "platform/scene/Material.h"
#include "platform/scene/MaterialProperty.h"
#include "platform/scene/Texture.h"

#include <tiny_gltf.h>

#include <memory>
#include <string>
#include <vector>

namespace plimsa {

/// Turns glTF materials into scene materials, one object per glTF material however many primitives use
/// it, and glTF images into textures, each decoded at most once and shared by every material slot that
/// shows it. Images that do not decode, or would exceed the decoded-pixel limit or what is left of the
/// budget, leave their slot without an image (a warning). One instance per build; not thread-safe.
class GltfMaterialBuilder {
  public:
    GltfMaterialBuilder(const tinygltf::Model& model, const GltfLimits& limits, GltfBudget& budget,
                        std::vector<std::string>& warnings);

    /// The scene material for glTF material `index`; -1 gives glTF's default material (white, fully
    /// metallic, fully rough), itself shared.
    std::shared_ptr<Material> material(int index);
    /// The texture coordinate set the material's base colour texture reads (0 without one).
    int baseColorTexCoord(int index) const;

  private:
    std::shared_ptr<Material> makeMaterial(const tinygltf::Material& source);
    std::shared_ptr<Texture> texture(int textureIndex);
    /// The image property for a texture reference (index, texCoord, extensions); no image when absent.
    MaterialProperty textureProperty(int textureIndex, const tinygltf::ExtensionMap& extensions);

    const tinygltf::Model& model_;
    GltfBudget& budget_;
    std::vector<std::string>& warnings_;
    size_t pixelsLeft_;
    std::vector<std::shared_ptr<Material>> materials_;
    std::shared_ptr<Material> defaultMaterial_;
    std::vector<std::shared_ptr<Texture>> textures_;  // by image index
    std::vector<bool> imageTried_;
};

}  // namespace plimsa
