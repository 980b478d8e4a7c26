#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "character/SwingCharacter.h"
#include "platform/image/Image.h"

namespace plimsa {

class SnapshotRenderer;

/// Character thumbnails: a character standing in its `PortraitScene`, rendered off screen at 320 x 320
/// pixels with 4x multisampling on a clear background (premultiplied, rows top to bottom).
///
/// Thread: any thread; each call renders with its own offscreen context unless given a renderer, which
/// must then be used by that thread alone. Failure: nothing, silently (see each operation).
class CharacterPreviews {
  public:
    static constexpr int kSide = 320;
    static constexpr int kSamples = 4;

    /// The thumbnail of the model file at `url`: nothing when the file gives no character
    /// (`CharacterLoader::load`) or no offscreen context can be made.
    static std::optional<Image> render(const std::filesystem::path& url);
    /// As above, on a renderer the caller keeps (one per thread) to save making a context per call.
    static std::optional<Image> render(const std::filesystem::path& url, SnapshotRenderer& renderer);
    /// The thumbnail of a character already loaded (the built-in figure, for instance); nothing only when
    /// `character` is null or the render fails.
    static std::optional<Image> render(std::unique_ptr<SwingCharacter> character, SnapshotRenderer& renderer);
};

}  // namespace plimsa
