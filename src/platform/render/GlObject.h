#pragma once

#include <epoxy/gl.h>

#include <utility>

namespace plimsa {

enum class GlKind { Buffer, Texture, Framebuffer, Renderbuffer, VertexArray, Sampler, Program, Shader };

/// Sole owner of one OpenGL object name of kind `K`; deletes it on destruction. Move-only.
/// Thread: create, use and destroy with the owning context current on the calling thread.
/// Internal to the renderer (includes GL); not for headers that code outside platform/render includes.
template <GlKind K>
class GlObject {
public:
    GlObject() = default;
    explicit GlObject(GLuint id) : id_(id) {}
    ~GlObject() { reset(); }

    GlObject(GlObject&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    GlObject& operator=(GlObject&& other) noexcept {
        if (this != &other) {
            reset();
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;

    /// A freshly generated object (not bound). Shaders and programs are made by `glCreate*` instead.
    static GlObject generate() {
        GLuint id = 0;
        if constexpr (K == GlKind::Buffer) glGenBuffers(1, &id);
        if constexpr (K == GlKind::Texture) glGenTextures(1, &id);
        if constexpr (K == GlKind::Framebuffer) glGenFramebuffers(1, &id);
        if constexpr (K == GlKind::Renderbuffer) glGenRenderbuffers(1, &id);
        if constexpr (K == GlKind::VertexArray) glGenVertexArrays(1, &id);
        if constexpr (K == GlKind::Sampler) glGenSamplers(1, &id);
        if constexpr (K == GlKind::Program) id = glCreateProgram();
        return GlObject(id);
    }

    GLuint id() const { return id_; }
    explicit operator bool() const { return id_ != 0; }

    void reset() {
        if (id_ == 0) return;
        if constexpr (K == GlKind::Buffer) glDeleteBuffers(1, &id_);
        if constexpr (K == GlKind::Texture) glDeleteTextures(1, &id_);
        if constexpr (K == GlKind::Framebuffer) glDeleteFramebuffers(1, &id_);
        if constexpr (K == GlKind::Renderbuffer) glDeleteRenderbuffers(1, &id_);
        if constexpr (K == GlKind::VertexArray) glDeleteVertexArrays(1, &id_);
        if constexpr (K == GlKind::Sampler) glDeleteSamplers(1, &id_);
        if constexpr (K == GlKind::Program) glDeleteProgram(id_);
        if constexpr (K == GlKind::Shader) glDeleteShader(id_);
        id_ = 0;
    }

private:
    GLuint id_ = 0;
};

using GlBuffer = GlObject<GlKind::Buffer>;
using GlTexture = GlObject<GlKind::Texture>;
using GlFramebuffer = GlObject<GlKind::Framebuffer>;
using GlRenderbuffer = GlObject<GlKind::Renderbuffer>;
using GlVertexArray = GlObject<GlKind::VertexArray>;
using GlSampler = GlObject<GlKind::Sampler>;
using GlProgram = GlObject<GlKind::Program>;
using GlShader = GlObject<GlKind::Shader>;

}  // namespace plimsa
