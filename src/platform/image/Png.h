#pragma once

#include "platform/image/Image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plimsa {

/// PNG encoding and decoding through Cairo. Encoded files are 8-bit RGBA with straight alpha (as PNG
/// requires); decoded images come back premultiplied (Cairo's form), rows top to bottom.
/// Stateless; any thread.
class Png {
public:
    /// Largest width or height accepted when decoding; larger headers are refused before any allocation.
    static constexpr int kMaxSide = 8192;

    enum class WriteResult {
        written,
        emptyImage,      // nothing to encode (zero width or height, or too few pixel bytes)
        encodingFailed,  // Cairo refused the image
        cannotWrite,     // the file could not be created, written or moved into place
    };

    /// The PNG bytes of `image` (premultiplied or not, as its flag says). Nothing when the image is
    /// empty or Cairo fails.
    static std::optional<std::vector<uint8_t>> encode(const Image& image);

    /// Encodes `image` and writes it to `path`: first to a temporary file beside it, then renamed over
    /// `path`, so a failure leaves any existing file untouched and never leaves a partial one.
    static WriteResult write(const Image& image, const std::string& path);

    /// Decodes PNG bytes. Nothing for anything that is not a well-formed PNG within kMaxSide.
    static std::optional<Image> decode(std::span<const uint8_t> bytes);
    /// Reads and decodes the file at `path` (nothing when it cannot be read or decoded).
    static std::optional<Image> read(const std::string& path);
};

}  // namespace plimsa
