#pragma once

#include "platform/render/GlObject.h"
#include "platform/render/ShaderProgram.h"

namespace plimsa {

/// The renderer's own framebuffer: a (multisampled) linear colour buffer stored as sRGB 8-bit with alpha
/// and a depth buffer, resized on demand; and the resolve pass that averages its samples into a target
/// framebuffer as premultiplied sRGB (the convention of compositors and of Image).
/// The thread of the context it was made in.
class FrameTargets {
public:
    FrameTargets();

    bool isValid() const { return resolveSingle_.isValid() && resolveMulti_.isValid(); }
    const std::string& log() const { return log_; }

    /// Makes the buffers `width` x `height` with `samples` samples (1 = no multisampling) and binds them
    /// for drawing. False when the implementation cannot make such a framebuffer.
    bool bind(int width, int height, int samples);
    /// Resolves into framebuffer `target` (its viewport origin at 0, 0, the same size). Leaves `target`
    /// bound, with blending, depth test and culling off.
    void resolveInto(GLuint target);

    int samples() const { return samples_; }

private:
    bool allocate(int width, int height, int samples);

    GlFramebuffer framebuffer_;
    GlTexture color_;
    GlRenderbuffer depth_;
    GlVertexArray emptyVertexArray_;
    ShaderProgram resolveSingle_;
    ShaderProgram resolveMulti_;
    std::string log_;
    int width_ = 0;
    int height_ = 0;
    int samples_ = 0;
};

}  // namespace plimsa
