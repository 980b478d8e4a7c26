#pragma once

#include "platform/image/Image.h"

#include <algorithm>
#include <cstdint>

namespace plimsa::testing {

/// One pixel's channels as stored (premultiplied when the image is).
struct Rgba {
    int r = 0, g = 0, b = 0, a = 0;
};

inline Rgba at(const Image& image, int x, int y) {
    const uint8_t* p = image.pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
}

inline float luminance(const Rgba& c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; }

template <typename Predicate>
int countPixels(const Image& image, Predicate predicate) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (predicate(at(image, x, y))) ++count;
    return count;
}

/// Bounding box, in pixels from the top left, of the pixels whose alpha reaches `threshold`, and their
/// share of the image. An image with no such pixel has `isEmpty()`.
struct PixelBox {
    int left = -1, top = -1, right = -1, bottom = -1;
    double fraction = 0.0;
    bool isEmpty() const { return right < 0; }
};

inline PixelBox opaqueBox(const Image& image, int threshold = 128) {
    PixelBox box;
    long drawn = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (image.pixel(x, y)[3] < threshold) continue;
            ++drawn;
            if (box.top < 0) box.top = y;
            box.bottom = y;
            box.left = box.left < 0 ? x : std::min(box.left, x);
            box.right = std::max(box.right, x);
        }
    if (image.width > 0 && image.height > 0)
        box.fraction = static_cast<double>(drawn) / (static_cast<double>(image.width) * image.height);
    return box;
}

}  // namespace plimsa::testing
