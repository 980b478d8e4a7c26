#include "character/CharacterLoader.h"

#include <algorithm>
#include <string>

#include "character/CharacterRig.h"
#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Scene.h"

namespace plimsa {

bool CharacterLoader::isGltf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == ".glb" || extension == ".gltf";
}

std::unique_ptr<SwingCharacter> CharacterLoader::load(const std::filesystem::path& file) {
    if (!isGltf(file)) return CharacterRig::load(file);
    const GltfLoadResult loaded = GltfLoader().loadFile(file);
    if (!loaded) return nullptr;
    return fromGltfScene(loaded.scene);
}

std::unique_ptr<SwingCharacter> CharacterLoader::fromGltfScene(const std::shared_ptr<Scene>& scene) {
    if (scene == nullptr) return nullptr;
    return std::make_unique<SkinnedCharacter>(*scene);
}

}  // namespace plimsa
