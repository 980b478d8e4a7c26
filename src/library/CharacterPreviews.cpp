#include "library/CharacterPreviews.h"

#include <exception>

#include "character/CharacterLoader.h"
#include "library/PortraitScene.h"
#include "platform/render/SnapshotRenderer.h"

namespace plimsa {

namespace {

std::unique_ptr<SwingCharacter> loadQuietly(const std::filesystem::path& url) {
    try {
        return CharacterLoader::load(url);
    } catch (const std::exception&) {
        // An unreadable model has no thumbnail, like a missing one.
        return nullptr;
    }
}

}  // namespace

std::optional<Image> CharacterPreviews::render(const std::filesystem::path& url) {
    auto character = loadQuietly(url);
    if (!character) return std::nullopt;
    auto renderer = SnapshotRenderer::create();
    if (!renderer) return std::nullopt;
    return render(std::move(character), *renderer);
}

std::optional<Image> CharacterPreviews::render(const std::filesystem::path& url, SnapshotRenderer& renderer) {
    auto character = loadQuietly(url);
    if (!character) return std::nullopt;
    return render(std::move(character), renderer);
}

std::optional<Image> CharacterPreviews::render(std::unique_ptr<SwingCharacter> character,
                                               SnapshotRenderer& renderer) {
    if (!character) return std::nullopt;
    const PortraitScene portrait(std::move(character));
    // The pose was applied when the portrait was built; no per-frame hook runs for a still.
    renderer.setDelegate({});
    return renderer.snapshot(*portrait.scene(), *portrait.cameraNode(), kSide, kSide, kSamples, 0.0);
}

}  // namespace plimsa
