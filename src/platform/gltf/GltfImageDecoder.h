#pragma once

// Internal to platform/gltf.

#include "platform/image/Image.h"

#include <tiny_gltf.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plimsa {

/// PNG and JPEG images of glTF files, in two steps: while parsing, `inspect` reads only the header
/// (pixel size) and keeps the encoded bytes; when a material needs the image, `decode` turns them into
/// straight-alpha RGBA rows, top to bottom. Any thread; no shared state.
class GltfImageDecoder {
public:
    /// tinygltf's image callback; `limits` is a const GltfLimits*. Images larger than maxImageSide fail
    /// the parse; bytes that are not a PNG or JPEG with a readable header are dropped with a warning (the
    /// image stays empty and its materials untextured).
    static bool inspect(tinygltf::Image* image, int index, std::string* error, std::string* warning, int, int,
                        const unsigned char* bytes, int size, void* limits);

    /// Decodes encoded PNG or JPEG bytes; nothing when they do not decode or the image has more than
    /// `maxPixels` pixels.
    static std::optional<Image> decode(const std::vector<unsigned char>& encoded, size_t maxPixels);
};

}  // namespace plimsa
