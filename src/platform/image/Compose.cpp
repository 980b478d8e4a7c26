#include "platform/image/Compose.h"

#include <algorithm>
#include <cmath>

namespace plimsa {

Image composeOverGrey(const Image& image, double whiteLevel) {
    if (image.isEmpty() || image.pixels.size() < static_cast<size_t>(image.width) * image.height * 4) return {};
    const double level = std::isfinite(whiteLevel) ? std::clamp(whiteLevel, 0.0, 1.0) : kSnapshotGreyLevel;
    const unsigned grey = static_cast<unsigned>(std::lround(level * 255.0));
    Image result(image.width, image.height, true);
    for (size_t i = 0; i + 3 < result.pixels.size(); i += 4) {
        const unsigned alpha = image.pixels[i + 3];
        for (size_t c = 0; c < 3; ++c) {
            unsigned source = image.pixels[i + c];
            if (!image.premultiplied) source = (source * alpha + 127) / 255;
            source = std::min(source, alpha);  // premultiplied colour never exceeds its alpha
            result.pixels[i + c] = static_cast<uint8_t>(source + (grey * (255 - alpha) + 127) / 255);
        }
        result.pixels[i + 3] = 255;
    }
    return result;
}

}  // namespace plimsa
