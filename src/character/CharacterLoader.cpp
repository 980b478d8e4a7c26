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
    return extension == ".glb" || extension == ".gltf" || extension == ".vrm";
}

std::unique_ptr<SwingCharacter> CharacterLoader::load(const std::filesystem::path& file) {
    return loadWithReport(file).character;
}

CharacterLoader::Loaded CharacterLoader::loadWithReport(const std::filesystem::path& file) {
    Loaded result;
    result.report.file = file.filename().string();
    if (!isGltf(file)) {
        result.character = CharacterRig::load(file);
        if (result.character == nullptr) result.report.refusal = "not a glTF, VRM or character file";
    } else {
        const GltfLoadResult loaded = GltfLoader().loadFile(file);
        if (!loaded) {
            result.report.refusal = loaded.error;
            return result;
        }
        auto skinned = std::make_unique<SkinnedCharacter>(*loaded.scene, loaded.humanoid ? &*loaded.humanoid : nullptr);
        const std::string name = result.report.file;
        result.report = skinned->report();
        result.report.file = name;
        for (const std::string& warning : loaded.warnings) result.report.textures.push_back(warning);
        result.character = std::move(skinned);
    }
    result.report.usable = result.character != nullptr;
    return result;
}

std::unique_ptr<SwingCharacter> CharacterLoader::fromGltfScene(const std::shared_ptr<Scene>& scene) {
    if (scene == nullptr) return nullptr;
    return std::make_unique<SkinnedCharacter>(*scene);
}

}  // namespace plimsa
