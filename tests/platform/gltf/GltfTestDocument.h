#pragma once

#include "platform/gltf/GltfLoader.h"

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
    /// Makes `image` (a glTF image object) the base colour texture of material 0.
    void addTexture(const nlohmann::json& image);

    /// One node "Triangle" with a mesh of one indexed triangle (POSITION, NORMAL, TEXCOORD_0) and a
    /// material "Red" (base colour factor (1, 0, 0, 1)), in scene 0.
    static GltfTestDocument triangle();
    /// The triangle skinned to joints "Hip" (node 1, parent of "Knee", node 2); vertex 2 on `lastJoint`.
    static GltfTestDocument skinnedTriangle(uint16_t lastJoint = 1);

    // Tiny files that ask for a lot of memory (tests and the fuzz corpus).
    /// The skinned triangle on `nodes` nodes, its inverse-bind accessor declaring `matrices` matrices
    /// with no buffer behind them.
    static GltfTestDocument endlessInverseBinds(size_t matrices, int nodes);
    /// `nodes` nodes showing one skinned mesh whose skin has `joints` joints (past the first two, new
    /// nodes, or the second one again when not `distinct`).
    static GltfTestDocument skinnedCrowd(int nodes, int joints, bool distinct = true);
    /// A triangle list of `vertices` vertices, all at the origin, with no buffer behind them.
    static GltfTestDocument emptyVertices(size_t vertices);

    std::vector<uint8_t> gltfBytes() const;
    std::vector<uint8_t> glbBytes() const;

    static std::string base64(const std::vector<uint8_t>& bytes);
    /// A glTF image object with the PNG bytes as a data: URI.
    static nlohmann::json dataImage(const std::vector<uint8_t>& png);
    /// A PNG with a real header and made-up image data: enough for size checks, not for decoding.
    static std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height);
    /// A real, decodable PNG of a solid colour.
    static std::vector<uint8_t> solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b,
                                         uint8_t a = 255);

  private:
    nlohmann::json finalJson(bool forGlb) const;
};

/// Whether a warning of the load contains `part`.
inline bool hasWarning(const GltfLoadResult& result, const std::string& part) {
    for (const std::string& warning : result.warnings)
        if (warning.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace plimsa
