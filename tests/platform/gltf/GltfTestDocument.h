#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace plimsa {

/// A small glTF document assembled in a test: JSON plus one binary buffer, written out as a .gltf
/// (buffer as a data: URI) or a .glb. Accessors are appended tightly packed, each in its own view.
class GltfTestDocument {
public:
    nlohmann::json json;
    std::vector<uint8_t> binary;

    GltfTestDocument();

    /// Appends `bytes` (4-byte aligned) with a buffer view; returns the view index.
    int addView(const void* data, size_t bytes);
    /// A view plus an accessor over it; returns the accessor index.
    int addAccessor(const void* data, size_t bytes, size_t count, int componentType, const std::string& type,
                    bool normalized = false);
    template <typename T>
    int addAccessor(const std::vector<T>& values, size_t count, int componentType, const std::string& type,
                    bool normalized = false) {
        return addAccessor(values.data(), values.size() * sizeof(T), count, componentType, type, normalized);
    }
    int addMaterial(nlohmann::json material);
    int addNode(nlohmann::json node);

    /// One node "Triangle" with a mesh of one indexed triangle (POSITION, NORMAL, TEXCOORD_0) and a
    /// material "Red" (base colour factor (1, 0, 0, 1)), in scene 0.
    static GltfTestDocument triangle();

    std::vector<uint8_t> gltfBytes() const;
    std::vector<uint8_t> glbBytes() const;

    static std::string base64(const std::vector<uint8_t>& bytes);
    /// A PNG with a real header and made-up image data: enough for size checks, not for decoding.
    static std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height);
    /// A real, decodable PNG of a solid colour.
    static std::vector<uint8_t> solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);

private:
    nlohmann::json finalJson(bool forGlb) const;
};

}  // namespace plimsa
