#pragma once

#include "platform/image/Image.h"

namespace plimsa::SwingParts {

/// Wood grain on a warm brown, `size` pixels square; the same bytes for the same size every time.
/// Sizes below 1 give an empty image; sizes above Canvas::kMaxSide give a blank image of that maximum.
Image woodImage(int size);
/// Pale veins on near-black marble, `size` pixels square; deterministic like `woodImage`.
Image marbleImage(int size);
/// A 128 x 128 leaf with a midrib on a transparent background.
Image leafImage();

}  // namespace plimsa::SwingParts
