#include "platform/render/ResourceCache.h"

#include "platform/render/TextureUpload.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Texture.h"

namespace plimsa {
namespace {

GLint glWrap(WrapMode mode) {
    switch (mode) {
        case WrapMode::repeat: return GL_REPEAT;
        case WrapMode::mirror: return GL_MIRRORED_REPEAT;
        case WrapMode::clamp: break;
    }
    return GL_CLAMP_TO_EDGE;
}

template <typename Map>
void sweep(Map& entries, uint64_t frame, uint64_t idleFrames) {
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->second.owner.expired() || frame - it->second.lastUsed > idleFrames) {
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

const GpuMesh& ResourceCache::mesh(const std::shared_ptr<Geometry>& geometry) {
    MeshEntry& entry = meshes_[geometry->identity()];
    if (!entry.mesh || entry.revision != geometry->revision()) {
        entry.mesh = std::make_unique<GpuMesh>(geometry->mesh());
        entry.revision = geometry->revision();
        entry.owner = geometry;
    }
    entry.lastUsed = frame_;
    return *entry.mesh;
}

GLuint ResourceCache::texture(const std::shared_ptr<Texture>& texture, bool srgb) {
    TextureEntry& entry = textures_[texture->identity() * 2 + (srgb ? 1 : 0)];
    if (entry.owner.expired() || entry.revision != texture->revision()) {
        entry.texture = uploadTexture(texture->image(), srgb);
        entry.valid = static_cast<bool>(entry.texture);
        entry.revision = texture->revision();
        entry.owner = texture;
    }
    entry.lastUsed = frame_;
    return entry.valid ? entry.texture.id() : 0;
}

GLuint ResourceCache::sampler(WrapMode s, WrapMode t) {
    GlSampler& sampler = samplers_[static_cast<size_t>(s) * 3 + static_cast<size_t>(t)];
    if (!sampler) {
        sampler = GlSampler::generate();
        glSamplerParameteri(sampler.id(), GL_TEXTURE_WRAP_S, glWrap(s));
        glSamplerParameteri(sampler.id(), GL_TEXTURE_WRAP_T, glWrap(t));
        glSamplerParameteri(sampler.id(), GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(sampler.id(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    return sampler.id();
}

void ResourceCache::endFrame() {
    sweep(meshes_, frame_, kIdleFrames);
    sweep(textures_, frame_, kIdleFrames);
    ++frame_;
}

}  // namespace plimsa
