#include "swing/SwingSceneDefaults.h"

#include <random>

#include "character/CharacterLoader.h"
#include "character/CharacterRig.h"
#include "character/SkinnedCharacter.h"
#include "config/Settings.h"
#include "library/CharacterLibrary.h"

namespace plimsa {

SwingScene::Services SwingSceneDefaults::complete(SwingScene::Services services) {
    if (!services.settings) services.settings = &Settings::shared();
    if (!services.locate) services.locate = [](std::string_view name) { return CharacterLibrary::url(name); };
    if (!services.load)
        services.load = [](const std::filesystem::path& file) { return CharacterLoader::load(file); };
    if (!services.placeholder)
        services.placeholder = []() -> std::unique_ptr<SwingCharacter> {
            return CharacterRig::placeholder();
        };
    if (!services.lapFallbacks || !services.resetLapFallbacks) {
        services.lapFallbacks = [] { return static_cast<long>(SkinnedCharacter::lapFallbacks.load()); };
        services.resetLapFallbacks = [] { SkinnedCharacter::lapFallbacks.store(0); };
    }
    if (!services.seed)
        services.seed = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    return services;
}

}  // namespace plimsa
