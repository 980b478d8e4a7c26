#include "platform/render/TextureUpload.h"

#include "platform/image/Image.h"

#include <cstdint>
#include <vector>

namespace plimsa {
namespace {

std::vector<uint8_t> straightPixels(const Image& image) {
    std::vector<uint8_t> pixels = image.pixels;
    if (!image.premultiplied) return pixels;
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        if (alpha == 0 || alpha == 255) continue;
        for (size_t c = 0; c < 3; ++c) {
            const unsigned value = (pixels[i + c] * 255u + alpha / 2) / alpha;
            pixels[i + c] = static_cast<uint8_t>(value > 255 ? 255 : value);
        }
    }
    return pixels;
}

// Two passes of colour dilation into fully transparent texels (alpha stays 0).
void bleedIntoTransparent(std::vector<uint8_t>& pixels, int width, int height) {
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<uint8_t> source = pixels;
        std::vector<uint8_t> filled(static_cast<size_t>(width) * height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const size_t at = (static_cast<size_t>(y) * width + x) * 4;
                if (source[at + 3] != 0) continue;
                unsigned sum[3] = {0, 0, 0}, count = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                        const size_t n = (static_cast<size_t>(ny) * width + nx) * 4;
                        if (source[n + 3] == 0 && pass == 0) continue;
                        if (source[n + 3] == 0 && source[n] == 0 && source[n + 1] == 0 && source[n + 2] == 0) continue;
                        for (int c = 0; c < 3; ++c) sum[c] += source[n + static_cast<size_t>(c)];
                        ++count;
                    }
                if (count == 0) continue;
                for (size_t c = 0; c < 3; ++c) pixels[at + c] = static_cast<uint8_t>(sum[c] / count);
            }
    }
}

bool hasTransparentTexel(const std::vector<uint8_t>& pixels) {
    for (size_t i = 3; i < pixels.size(); i += 4)
        if (pixels[i] == 0) return true;
    return false;
}

}  // namespace

GlTexture uploadTexture(const Image& image, bool srgb) {
    if (image.isEmpty() || image.pixels.size() < static_cast<size_t>(image.width) * image.height * 4) return {};
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (image.width > maxSize || image.height > maxSize) return {};
    std::vector<uint8_t> pixels = straightPixels(image);
    if (hasTransparentTexel(pixels)) bleedIntoTransparent(pixels, image.width, image.height);

    GlTexture texture = GlTexture::generate();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.id());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, srgb ? GL_SRGB8_ALPHA8 : GL_RGBA8, image.width, image.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    return texture;
}

}  // namespace plimsa
