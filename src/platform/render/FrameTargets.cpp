#include "platform/render/FrameTargets.h"

#include "platform/render/ShaderSources.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace plimsa {

namespace {

void setUpSampler(GLuint sampler, GLint filter, bool skipDecode) {
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (skipDecode) glSamplerParameteri(sampler, GL_TEXTURE_SRGB_DECODE_EXT, GL_SKIP_DECODE_EXT);
}

}  // namespace

FrameTargets::FrameTargets()
    : regionVertexArray_(GlVertexArray::generate()),
      regionBuffer_(GlBuffer::generate()),
      rawSampler_(GlSampler::generate()),
      linearSampler_(GlSampler::generate()),
      skipDecode_(epoxy_has_gl_extension("GL_EXT_texture_sRGB_decode")) {
    // Skipping the decode on a sampler, not the texture: Mesa also stops encoding when the texture itself
    // is set to skip, which would break rendering into it.
    setUpSampler(rawSampler_.id(), GL_LINEAR, skipDecode_);
    setUpSampler(linearSampler_.id(), GL_LINEAR, false);
    glBindVertexArray(regionVertexArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, regionBuffer_.id());
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    present(kConvert);  // the one every frame can use: a broken driver shows now
}

ShaderProgram& FrameTargets::present(int variant) {
    ShaderProgram& program = presents_[variant];
    if (!program.isValid()) {
        std::string defines;
        if (variant & kConvert) defines += "#define PARTIAL_ALPHA 1\n";
        if (variant & kSmooth) defines += "#define SMOOTH_EDGES 1\n";
        if (variant & kMarkEdges) defines += "#define MARK_EDGES 1\n";
        if (variant & kInternal) defines += "#define INTERNAL_PASS 1\n";
        program =
            ShaderProgram::build(ShaderSources::regionVertex(), ShaderSources::presentFragment(), defines);
    }
    return program;
}

bool FrameTargets::allocate(int width, int height, int samples) {
    auto colorTexture = [&](GlTexture& texture, GLenum format) {
        texture = GlTexture::generate();
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture.id());
        glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    };
    colorTexture(resolved_, GL_SRGB8_ALPHA8);
    resolvedFramebuffer_ = GlFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, resolvedFramebuffer_.id());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, resolved_.id(), 0);

    depthStencil_ = GlRenderbuffer::generate();
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencil_.id());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples > 1 ? samples : 0, GL_DEPTH24_STENCIL8, width,
                                     height);
    bool complete = true;
    if (samples > 1) {
        multisampleColor_ = GlRenderbuffer::generate();
        glBindRenderbuffer(GL_RENDERBUFFER, multisampleColor_.id());
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_SRGB8_ALPHA8, width, height);
        drawFramebuffer_ = GlFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_.id());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  multisampleColor_.id());
        smoothed_.reset();
        smoothedFramebuffer_.reset();
    } else {
        multisampleColor_.reset();
        drawFramebuffer_.reset();
        // Holds output values as they are (no sRGB conversion on writing or reading).
        colorTexture(smoothed_, GL_RGBA8);
        smoothedFramebuffer_ = GlFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, smoothedFramebuffer_.id());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, smoothed_.id(), 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  depthStencil_.id());
        complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, resolvedFramebuffer_.id());
    }
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              depthStencil_.id());
    complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        resolved_.reset();
        resolvedFramebuffer_.reset();
        drawFramebuffer_.reset();
        smoothed_.reset();
        smoothedFramebuffer_.reset();
        width_ = height_ = samples_ = 0;
        return false;
    }
    width_ = width, height_ = height, samples_ = samples;
    return true;
}

bool FrameTargets::bind(int width, int height, int samples) {
    if (!resolvedFramebuffer_ || width != width_ || height != height_ || samples != samples_) {
        if (!allocate(width, height, samples)) return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, samples_ > 1 ? drawFramebuffer_.id() : resolvedFramebuffer_.id());
    glViewport(0, 0, width, height);
    return true;
}

void FrameTargets::setRegions(const ScreenRect& drawn, const std::vector<ScreenRect>& regions,
                              bool flipRows) {
    regionCorners_.clear();
    for (const ScreenRect& region : regions) {
        const int x0 = std::max(region.x, drawn.x),
                  x1 = std::min(region.x + region.width, drawn.x + drawn.width);
        int y0 = std::max(region.y, drawn.y), y1 = std::min(region.y + region.height, drawn.y + drawn.height);
        if (x1 <= x0 || y1 <= y0) continue;
        if (flipRows) std::tie(y0, y1) = std::pair(height_ - y1, height_ - y0);
        const float fx0 = static_cast<float>(x0), fx1 = static_cast<float>(x1);
        const float fy0 = static_cast<float>(y0), fy1 = static_cast<float>(y1);
        regionCorners_.insert(regionCorners_.end(),
                              {fx0, fy0, fx1, fy0, fx1, fy1, fx0, fy0, fx1, fy1, fx0, fy1});
    }
}

void FrameTargets::drawRegions(ShaderProgram& program, GLuint frame, GLuint sampler, bool flipRows) {
    program.use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, frame);
    glBindSampler(0, sampler);
    glUniform1i(program.uniform("uFrame"), 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, frame);
    glBindSampler(1, linearSampler_.id());
    glUniform1i(program.uniform("uFrameLinear"), 1);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, frame);
    glBindSampler(2, 0);
    glUniform1i(program.uniform("uFrameTexels"), 2);
    glUniform2f(program.uniform("uSize"), static_cast<float>(width_), static_cast<float>(height_));
    glUniform1i(program.uniform("uRawSrgb"), skipDecode_ ? 1 : 0);
    glUniform1i(program.uniform("uFlipRows"), flipRows ? 1 : 0);
    glUniform1i(program.uniform("uHeight"), height_);
    glBindVertexArray(regionVertexArray_.id());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(regionCorners_.size() / 2));
    glBindVertexArray(0);
    glBindSampler(1, 0);
    glBindSampler(0, 0);
    glActiveTexture(GL_TEXTURE0);
}

// Three passes over the regions into the smoothed buffer: one marks the pixels on edges in the stencil,
// one filters only those (a CPU rasteriser skips every block the stencil test empties, so the costly
// filter runs where it matters), one copies the rest.
void FrameTargets::smoothEdgesInto(bool convert) {
    glBindFramebuffer(GL_FRAMEBUFFER, smoothedFramebuffer_.id());
    glEnable(GL_STENCIL_TEST);
    glStencilMask(0xff);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 1, 0xff);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    drawRegions(present(kMarkEdges), resolved_.id(), rawSampler_.id(), false);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glStencilFunc(GL_EQUAL, 1, 0xff);
    drawRegions(present(kSmooth | (convert ? kConvert : 0)), resolved_.id(), rawSampler_.id(), false);
    glStencilFunc(GL_NOTEQUAL, 1, 0xff);
    drawRegions(present(kInternal | (convert ? kConvert : 0)), resolved_.id(), rawSampler_.id(), false);
    glDisable(GL_STENCIL_TEST);
}

void FrameTargets::presentInto(GLuint target, bool topRowFirst, const ScreenRect& drawn,
                               const std::vector<ScreenRect>& regions, const glm::vec4& outside,
                               bool smoothEdges, bool partialAlpha) {
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    if (samples_ > 1 && !drawn.isEmpty()) {
        // With sRGB conversion on, the resolve averages the samples in linear light.
        glEnable(GL_FRAMEBUFFER_SRGB);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFramebuffer_.id());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolvedFramebuffer_.id());
        const int x1 = drawn.x + drawn.width, y1 = drawn.y + drawn.height;
        glBlitFramebuffer(drawn.x, drawn.y, x1, y1, drawn.x, drawn.y, x1, y1, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    }
    glDisable(GL_FRAMEBUFFER_SRGB);
    glViewport(0, 0, width_, height_);
    // Copying stored values needs them read raw; a resolve averages coverage into partial alpha.
    const bool convert = partialAlpha || samples_ > 1 || !skipDecode_;
    smoothEdges = smoothEdges && samples_ == 1 && present(kMarkEdges).isValid() && present(0).isValid() &&
                  present(kSmooth | (convert ? kConvert : 0)).isValid() &&
                  present(kInternal | (convert ? kConvert : 0)).isValid();
    setRegions(drawn, regions, false);
    if (smoothEdges && !regionCorners_.empty()) {
        glBindBuffer(GL_ARRAY_BUFFER, regionBuffer_.id());
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(regionCorners_.size() * sizeof(float)),
                     regionCorners_.data(), GL_STREAM_DRAW);
        smoothEdgesInto(convert);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The target may be larger than the frame (a view's framebuffer): touch only the frame's pixels.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, width_, height_);
    glClearColor(outside.r, outside.g, outside.b, outside.a);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    if (regionCorners_.empty()) return;
    // The smoothing passes uploaded the regions as they are; flipped rows need them again, flipped.
    if (!smoothEdges || topRowFirst) {
        setRegions(drawn, regions, topRowFirst);
        glBindBuffer(GL_ARRAY_BUFFER, regionBuffer_.id());
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(regionCorners_.size() * sizeof(float)),
                     regionCorners_.data(), GL_STREAM_DRAW);
    }
    if (smoothEdges) {
        // Already output values: copied as they are.
        drawRegions(present(0), smoothed_.id(), rawSampler_.id(), topRowFirst);
        return;
    }
    ShaderProgram& program = present(convert ? kConvert : 0);
    drawRegions(program.isValid() ? program : present(kConvert), resolved_.id(), rawSampler_.id(),
                topRowFirst);
}

}  // namespace plimsa
