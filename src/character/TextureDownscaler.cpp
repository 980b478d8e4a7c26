#include "character/TextureDownscaler.h"

#include "platform/scene/Texture.h"

#include <stb/stb_image_resize.h>

#include <algorithm>
#include <cstdint>

namespace plimsa {

std::shared_ptr<Texture> TextureDownscaler::downscaled(const std::shared_ptr<Texture>& texture, int maxSide) {
    if (texture == nullptr || maxSide <= 0) {
        return texture;
    }
    const Image& source = texture->image();
    const int64_t longSide = std::max(source.width, source.height);
    if (source.isEmpty() || longSide <= maxSide ||
        source.pixels.size() < static_cast<size_t>(source.width) * source.height * 4) {
        return texture;
    }
    // Integer arithmetic so the long side comes out at exactly maxSide.
    const int width = static_cast<int>(std::max<int64_t>(1, maxSide * int64_t{source.width} / longSide));
    const int height = static_cast<int>(std::max<int64_t>(1, maxSide * int64_t{source.height} / longSide));

    Image scaled(width, height, source.premultiplied);
    const int flags = source.premultiplied ? STBIR_FLAG_ALPHA_PREMULTIPLIED : 0;
    const int ok = stbir_resize_uint8_srgb(source.pixels.data(), source.width, source.height, 0,
                                           scaled.pixels.data(), width, height, 0, 4, 3, flags);
    if (ok == 0) {
        return texture;
    }
    return Texture::make(std::move(scaled), texture->name());
}

}  // namespace plimsa
