// Arbitrary bytes through the PNG decoder (thumbnails and images read from disk): it must refuse or
// decode, never crash, overrun or allocate without bound; what it decodes must encode again.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/image/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<plimsa::Image> image = plimsa::Png::decode(std::span<const uint8_t>(data, size));
    if (!image) return 0;
    if (image->pixels.size() != static_cast<size_t>(image->width) * image->height * 4) __builtin_trap();
    if (image->width <= 256 && image->height <= 256 && !plimsa::Png::encode(*image)) __builtin_trap();
    return 0;
}
