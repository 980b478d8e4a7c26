#include "platform/gltf/GltfImageDecoder.h"

#include "platform/gltf/GltfLimits.h"

#include <stb/stb_image.h>

#include <climits>
#include <cstring>

namespace plimsa {
namespace {

bool isPng(const unsigned char* bytes, size_t size) {
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(bytes, kSignature, 8) == 0;
}

bool isJpeg(const unsigned char* bytes, size_t size) {
    return size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

void leaveUntextured(tinygltf::Image* image) {
    image->image.clear();
    image->width = 0;
    image->height = 0;
    image->as_is = true;
}

}  // namespace

bool GltfImageDecoder::inspect(tinygltf::Image* image, int index, std::string* error, std::string* warning, int,
                               int, const unsigned char* bytes, int size, void* limits) {
    const auto& caps = *static_cast<const GltfLimits*>(limits);
    const std::string name = "image " + std::to_string(index);
    int width = 0;
    int height = 0;
    int channels = 0;
    const size_t length = size > 0 ? static_cast<size_t>(size) : 0;
    if (bytes == nullptr || !(isPng(bytes, length) || isJpeg(bytes, length)) ||
        !stbi_info_from_memory(bytes, size, &width, &height, &channels) || width <= 0 || height <= 0) {
        if (warning) *warning += name + " is not a readable PNG or JPEG; its materials stay untextured\n";
        leaveUntextured(image);
        return true;
    }
    if (width > caps.maxImageSide || height > caps.maxImageSide) {
        if (error)
            *error += name + " is " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels, larger than allowed\n";
        return false;
    }
    image->width = width;
    image->height = height;
    image->component = 4;
    image->bits = 8;
    image->pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    image->as_is = true;
    image->image.assign(bytes, bytes + length);
    return true;
}

std::optional<Image> GltfImageDecoder::decode(const std::vector<unsigned char>& encoded, size_t maxPixels) {
    if (encoded.empty() || encoded.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
    const int size = static_cast<int>(encoded.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(encoded.data(), size, &width, &height, &channels) || width <= 0 || height <= 0 ||
        static_cast<size_t>(width) * static_cast<size_t>(height) > maxPixels)
        return std::nullopt;
    stbi_uc* pixels = stbi_load_from_memory(encoded.data(), size, &width, &height, &channels, 4);
    if (pixels == nullptr) return std::nullopt;
    Image image(width, height, false);
    std::memcpy(image.pixels.data(), pixels, image.pixels.size());
    stbi_image_free(pixels);
    return image;
}

}  // namespace plimsa
