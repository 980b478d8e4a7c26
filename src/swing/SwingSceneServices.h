#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace plimsa {

class Screens;
class Settings;
class SwingCharacter;

/// What a `SwingScene` uses from the rest of the program. Each empty member takes the program's own:
/// the shared settings store, no screen (1600 x 900 limits), the character library and loader, the
/// skinned character's lap-fallback counter, and a seed from the system's entropy source.
struct SwingSceneServices {
    Settings* settings = nullptr;
    const Screens* screens = nullptr;
    /// A library name to its file; nothing when the library has no such character.
    std::function<std::optional<std::filesystem::path>(std::string_view name)> locate;
    /// A model file to a character; null when it cannot be loaded.
    std::function<std::unique_ptr<SwingCharacter>(const std::filesystem::path& file)> load;
    /// The built-in figure.
    std::function<std::unique_ptr<SwingCharacter>()> placeholder;
    /// The process-wide count of chain hands that could not reach their chain.
    std::function<long()> lapFallbacks;
    std::function<void()> resetLapFallbacks;
    std::optional<std::uint64_t> seed;
};

}  // namespace plimsa
