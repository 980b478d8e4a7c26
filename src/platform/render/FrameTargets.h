#pragma once

#include "platform/render/GlObject.h"
#include "platform/render/ScreenRect.h"
#include "platform/render/ShaderProgram.h"

namespace plimsa {

/// The renderer's own framebuffers and the final pass. Scenes are drawn in linear light into a
/// (multisampled) sRGB-encoded colour buffer with depth; multisampled frames are resolved by a blit with
/// sRGB conversion on (linear averaging); the final pass writes the frame to a target framebuffer as
/// premultiplied sRGB, the convention of compositors and of Image.
/// The thread of the context it was made in.
class FrameTargets {
public:
    FrameTargets();

    bool isValid() const { return present_.isValid(); }
    const std::string& log() const { return present_.log(); }

    /// Makes the buffers `width` x `height` with `samples` samples (1 = no multisampling) and binds them
    /// for drawing. False when the implementation cannot make such a framebuffer.
    bool bind(int width, int height, int samples);
    /// Resolves and writes the frame into framebuffer `target` (same size, origin 0, 0), bottom row first
    /// as OpenGL stores it, or top row first when `topRowFirst` (for reading back into an Image). Only
    /// `drawn` is converted from the frame; the rest of the target is set to `outside` (premultiplied sRGB,
    /// the background), so frames that draw little cost little. Leaves `target` bound with blending, depth
    /// test, scissor test, culling and sRGB conversion off.
    void presentInto(GLuint target, bool topRowFirst, const ScreenRect& drawn, const glm::vec4& outside);

private:
    bool allocate(int width, int height, int samples);

    GlFramebuffer drawFramebuffer_;
    GlRenderbuffer multisampleColor_;
    GlRenderbuffer depth_;
    GlFramebuffer resolvedFramebuffer_;
    GlTexture resolved_;
    GlVertexArray emptyVertexArray_;
    ShaderProgram present_;
    GlSampler rawSampler_;
    bool skipDecode_ = false;  // read the resolved texture's raw sRGB bytes (EXT_texture_sRGB_decode)
    int width_ = 0;
    int height_ = 0;
    int samples_ = 0;
};

}  // namespace plimsa
