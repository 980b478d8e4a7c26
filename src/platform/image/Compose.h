#pragma once

#include "platform/image/Image.h"

namespace plimsa {

/// The snapshot mode's backdrop grey: white level 0.55.
inline constexpr double kSnapshotGreyLevel = 0.55;

/// An opaque image of `image`'s size filled with the grey of white level `whiteLevel` (sRGB, clamped to
/// [0, 1]) with `image` drawn over it (source-over in sRGB, as a 2D bitmap context composites), so
/// transparent parts show grey. `image` may be premultiplied or straight, as its flag says. The result is
/// opaque (premultiplied and straight at once). An empty image gives an empty image. Any thread.
Image composeOverGrey(const Image& image, double whiteLevel = kSnapshotGreyLevel);

}  // namespace plimsa
