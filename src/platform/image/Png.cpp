#include "platform/image/Png.h"

#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace plimsa {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePointer = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

uint8_t premultiply(uint8_t value, uint8_t alpha) { return static_cast<uint8_t>((value * alpha + 127) / 255); }

// Cairo's ARGB32 is a native-endian premultiplied 0xAARRGGBB word per pixel.
SurfacePointer surfaceFrom(const Image& image) {
    SurfacePointer surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixel(x, y);
            const uint8_t a = p[3];
            const uint8_t r = image.premultiplied ? std::min(p[0], a) : premultiply(p[0], a);
            const uint8_t g = image.premultiplied ? std::min(p[1], a) : premultiply(p[1], a);
            const uint8_t b = image.premultiplied ? std::min(p[2], a) : premultiply(p[2], a);
            row[x] = (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

struct Reader {
    std::span<const uint8_t> bytes;
    size_t offset = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* reader = static_cast<Reader*>(closure);
    if (reader->bytes.size() - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

uint32_t bigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The signature and an IHDR chunk with a size we are willing to allocate.
bool plausibleHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < 33 || std::memcmp(bytes.data(), kSignature, 8) != 0) return false;
    if (std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return false;
    const uint32_t width = bigEndian32(bytes.data() + 16), height = bigEndian32(bytes.data() + 20);
    return width >= 1 && height >= 1 && width <= Png::kMaxSide && height <= Png::kMaxSide;
}

Image imageFrom(cairo_surface_t* surface) {
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    Image image(width, height, true);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t word = row[x];
            uint8_t* p = image.pixel(x, y);
            p[0] = static_cast<uint8_t>(word >> 16), p[1] = static_cast<uint8_t>(word >> 8);
            p[2] = static_cast<uint8_t>(word);
            p[3] = format == CAIRO_FORMAT_RGB24 ? 255 : static_cast<uint8_t>(word >> 24);
        }
    }
    return image;
}

}  // namespace

std::optional<std::vector<uint8_t>> Png::encode(const Image& image) {
    if (image.isEmpty() || image.pixels.size() < static_cast<size_t>(image.width) * image.height * 4) return std::nullopt;
    SurfacePointer surface = surfaceFrom(image);
    if (!surface) return std::nullopt;
    std::vector<uint8_t> bytes;
    if (cairo_surface_write_to_png_stream(surface.get(), appendBytes, &bytes) != CAIRO_STATUS_SUCCESS) return std::nullopt;
    return bytes;
}

Png::WriteResult Png::write(const Image& image, const std::string& path) {
    if (image.isEmpty() || image.pixels.size() < static_cast<size_t>(image.width) * image.height * 4)
        return WriteResult::emptyImage;
    std::optional<std::vector<uint8_t>> bytes = encode(image);
    if (!bytes) return WriteResult::encodingFailed;
    std::random_device random;
    const std::string temporary = path + ".tmp-" + std::to_string(random());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return WriteResult::cannotWrite;
        out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return WriteResult::cannotWrite;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return WriteResult::cannotWrite;
    }
    return WriteResult::written;
}

std::optional<Image> Png::decode(std::span<const uint8_t> bytes) {
    if (!plausibleHeader(bytes)) return std::nullopt;
    Reader reader{bytes};
    SurfacePointer surface(cairo_image_surface_create_from_png_stream(readBytes, &reader));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
    const cairo_format_t format = cairo_image_surface_get_format(surface.get());
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return std::nullopt;
    cairo_surface_flush(surface.get());
    return imageFrom(surface.get());
}

std::optional<Image> Png::read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return decode(bytes);
}

}  // namespace plimsa
