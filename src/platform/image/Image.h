#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plimsa {

/// An 8-bit RGBA bitmap, rows top to bottom, colour in sRGB.
/// `premultiplied` says whether the colour channels are already multiplied by alpha (renderer output and
/// Cairo drawings are; decoded texture files are not). Plain value: copy freely, any thread.
struct Image {
    int width = 0;
    int height = 0;
    bool premultiplied = false;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes, R G B A

    Image() = default;
    Image(int width, int height, bool premultiplied = false);

    bool isEmpty() const { return width <= 0 || height <= 0 || pixels.empty(); }
    size_t byteCount() const { return pixels.size(); }
    uint8_t* pixel(int x, int y) { return pixels.data() + (static_cast<size_t>(y) * width + x) * 4; }
    const uint8_t* pixel(int x, int y) const { return pixels.data() + (static_cast<size_t>(y) * width + x) * 4; }

    bool operator==(const Image&) const = default;
};

}  // namespace plimsa
