#pragma once

#include "platform/render/GlObject.h"

namespace plimsa {

struct Image;

/// Uploads `image` (rows top to bottom, so texture coordinate v = 0 is the top row) as a mipmapped RGBA
/// texture: sRGB-decoding when `srgb` (colour images), linear otherwise (normal maps). Premultiplied
/// images are converted to straight alpha, and fully transparent texels take the colour of their
/// neighbours so that filtering does not bleed black into cut-out edges. Returns an empty object when the
/// image is empty or larger than GL_MAX_TEXTURE_SIZE. Leaves texture unit 0's 2D binding changed.
GlTexture uploadTexture(const Image& image, bool srgb);

}  // namespace plimsa
