#pragma once

#include "platform/render/GlObject.h"
#include "platform/render/GpuMesh.h"

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace plimsa {

class Geometry;
class Texture;
enum class WrapMode;

/// GPU copies of a scene's geometries and textures, keyed by the scene objects' identity and rebuilt
/// when their revision changes. An entry is freed once its scene object no longer exists, or after it
/// has gone unused for `kIdleFrames` frames. Also holds the sampler objects for the wrap modes.
/// Thread: the thread whose context owns the objects.
class ResourceCache {
public:
    static constexpr uint64_t kIdleFrames = 600;

    ResourceCache() = default;
    ResourceCache(const ResourceCache&) = delete;
    ResourceCache& operator=(const ResourceCache&) = delete;

    const GpuMesh& mesh(const std::shared_ptr<Geometry>& geometry);
    /// The texture object for `texture`, sRGB-decoding or linear; 0 when the image cannot be a texture
    /// (empty, or larger than the implementation allows).
    GLuint texture(const std::shared_ptr<Texture>& texture, bool srgb);
    GLuint sampler(WrapMode s, WrapMode t);

    /// Ends a frame: frees what is gone or long unused.
    void endFrame();

    size_t meshCount() const { return meshes_.size(); }
    size_t textureCount() const { return textures_.size(); }

private:
    struct MeshEntry {
        std::weak_ptr<Geometry> owner;
        uint64_t revision = 0;
        uint64_t lastUsed = 0;
        std::unique_ptr<GpuMesh> mesh;
    };
    struct TextureEntry {
        std::weak_ptr<Texture> owner;
        uint64_t revision = 0;
        uint64_t lastUsed = 0;
        GlTexture texture;
        bool valid = false;
    };

    uint64_t frame_ = 1;
    std::unordered_map<uint64_t, MeshEntry> meshes_;
    std::unordered_map<uint64_t, TextureEntry> textures_;  // key: identity * 2 + srgb
    std::array<GlSampler, 9> samplers_;
};

}  // namespace plimsa
