#include "swing/SwingSceneDefaults.h"

#include <random>

#include "character/CharacterRig.h"
#include "config/Settings.h"
#include "library/CharacterLibrary.h"

namespace plimsa {

SwingScene::Services SwingSceneDefaults::complete(SwingScene::Services services) {
    if (!services.settings) services.settings = &Settings::shared();
    if (!services.locate) services.locate = [](std::string_view name) { return CharacterLibrary::url(name); };
    if (!services.load)
        services.load = [](const std::filesystem::path& file) -> std::unique_ptr<SwingCharacter> {
            return CharacterRig::load(file);
        };
    if (!services.placeholder)
        services.placeholder = []() -> std::unique_ptr<SwingCharacter> { return CharacterRig::placeholder(); };
    if (!services.lapFallbacks || !services.resetLapFallbacks) {
        services.lapFallbacks = [] { return 0L; };
        services.resetLapFallbacks = [] {};
    }
    if (!services.seed) services.seed = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    return services;
}

}  // namespace plimsa
