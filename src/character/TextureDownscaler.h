#pragma once

#include <memory>

namespace plimsa {

class Texture;

/// Shrinks textures that are larger than a character needs, keeping their aspect ratio.
/// Stateless; any thread (it touches only the images it is given).
class TextureDownscaler {
public:
    /// `texture` itself when it is null, empty or no side exceeds `maxSide`; otherwise a new texture,
    /// same name, whose long side is `maxSide` and short side truncate(maxSide * short / long) (at least
    /// 1 pixel), resampled with a high-quality filter in linear light with alpha weighting. The alpha
    /// channel is kept. When the new image cannot be made, `texture` itself.
    static std::shared_ptr<Texture> downscaled(const std::shared_ptr<Texture>& texture, int maxSide);
};

}  // namespace plimsa
