#pragma once

#include "platform/render/GlObject.h"
#include "platform/render/ScreenRect.h"
#include "platform/render/ShaderProgram.h"

#include <vector>

namespace plimsa {

/// The renderer's own framebuffers and the final passes. Scenes are drawn in linear light into a
/// (multisampled) sRGB-encoded colour buffer with depth and stencil; multisampled frames are resolved by a
/// blit with sRGB conversion on (linear averaging); single-sampled ones may have their edges smoothed in a
/// buffer of output values first; the final pass writes the frame to a target framebuffer as premultiplied
/// sRGB, the convention of compositors and of Image. The thread of the context it was made
/// in.
class FrameTargets {
  public:
    FrameTargets();

    bool isValid() const { return presents_[kConvert].isValid(); }
    const std::string& log() const { return presents_[kConvert].log(); }

    /// Makes the buffers `width` x `height` with `samples` samples (1 = no multisampling) and binds them
    /// for drawing. False when the implementation cannot make such a framebuffer.
    bool bind(int width, int height, int samples);
    /// Resolves `drawn` and writes the frame into framebuffer `target` (same size, origin 0, 0), bottom row
    /// first as OpenGL stores it, or top row first when `topRowFirst` (for reading back into an Image).
    /// Only `regions` (within `drawn`) are converted from the frame, with `smoothEdges` blended across
    /// edges. Without `partialAlpha` the frame holds only opaque and empty pixels (no blended surfaces, a
    /// background either opaque or clear), which are copied as stored, without converting; the rest of the
    /// target is set to `outside` (premultiplied sRGB, the background), so frames that draw little cost
    /// little. Edge smoothing reads up to kEdgeReach pixels around `regions`, which the frame must hold
    /// (cleared or drawn). Leaves `target` bound with blending, depth test, scissor test, culling and sRGB
    /// conversion off.
    void presentInto(GLuint target, bool topRowFirst, const ScreenRect& drawn,
                     const std::vector<ScreenRect>& regions, const glm::vec4& outside, bool smoothEdges,
                     bool partialAlpha);

    /// How far from a pixel edge smoothing may read along an edge.
    static constexpr int kEdgeReach = 20;

  private:
    bool allocate(int width, int height, int samples);
    void setRegions(const ScreenRect& drawn, const std::vector<ScreenRect>& regions, bool flipRows);
    void drawRegions(ShaderProgram& program, GLuint frame, GLuint sampler, bool flipRows);
    void smoothEdgesInto(bool convert);

    GlFramebuffer drawFramebuffer_;
    GlRenderbuffer multisampleColor_;
    GlRenderbuffer depthStencil_;
    GlFramebuffer resolvedFramebuffer_;
    GlTexture resolved_;
    // Single-sampled frames with smoothed edges: the output before it goes to the target, sharing the
    // frame's depth-stencil buffer, whose stencil marks the pixels on edges.
    GlFramebuffer smoothedFramebuffer_;
    GlTexture smoothed_;
    GlVertexArray regionVertexArray_;
    GlBuffer regionBuffer_;
    std::vector<float> regionCorners_;
    // The final passes' variants, built when first used. Passes into the renderer's own buffers never share
    // a program with passes into the target (kInternal): Mesa keeps gl_FragCoord's orientation per program,
    // and a window's framebuffer may be stored upside down, unlike an FBO, which flipped whole frames.
    static constexpr int kConvert = 1, kSmooth = 2, kMarkEdges = 4, kInternal = 8;
    ShaderProgram& present(int variant);
    ShaderProgram presents_[16];
    GlSampler rawSampler_;     // stored values as they are, nearest texel
    GlSampler linearSampler_;  // decoded linear values, filtered
    bool skipDecode_ = false;  // read the resolved texture's raw sRGB bytes (EXT_texture_sRGB_decode)
    int width_ = 0;
    int height_ = 0;
    int samples_ = 0;
};

}  // namespace plimsa
