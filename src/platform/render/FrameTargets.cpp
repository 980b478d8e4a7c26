#include "platform/render/FrameTargets.h"

#include "platform/render/ShaderSources.h"

namespace plimsa {

FrameTargets::FrameTargets()
    : emptyVertexArray_(GlVertexArray::generate()),
      present_(ShaderProgram::build(ShaderSources::fullScreenVertex(), ShaderSources::presentFragment())),
      rawSampler_(GlSampler::generate()), skipDecode_(epoxy_has_gl_extension("GL_EXT_texture_sRGB_decode")) {
    // Skipping the decode on a sampler, not the texture: Mesa also stops encoding when the texture itself
    // is set to skip, which would break rendering into it.
    glSamplerParameteri(rawSampler_.id(), GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(rawSampler_.id(), GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(rawSampler_.id(), GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(rawSampler_.id(), GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (skipDecode_) glSamplerParameteri(rawSampler_.id(), GL_TEXTURE_SRGB_DECODE_EXT, GL_SKIP_DECODE_EXT);
}

bool FrameTargets::allocate(int width, int height, int samples) {
    resolved_ = GlTexture::generate();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, resolved_.id());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    resolvedFramebuffer_ = GlFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, resolvedFramebuffer_.id());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, resolved_.id(), 0);

    depth_ = GlRenderbuffer::generate();
    glBindRenderbuffer(GL_RENDERBUFFER, depth_.id());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples > 1 ? samples : 0, GL_DEPTH_COMPONENT24, width, height);
    if (samples > 1) {
        multisampleColor_ = GlRenderbuffer::generate();
        glBindRenderbuffer(GL_RENDERBUFFER, multisampleColor_.id());
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_SRGB8_ALPHA8, width, height);
        drawFramebuffer_ = GlFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_.id());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, multisampleColor_.id());
    } else {
        multisampleColor_.reset();
        drawFramebuffer_.reset();
    }
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.id());
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        resolved_.reset();
        resolvedFramebuffer_.reset();
        drawFramebuffer_.reset();
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

void FrameTargets::presentInto(GLuint target, bool topRowFirst, const ScreenRect& drawn, const glm::vec4& outside) {
    glDisable(GL_SCISSOR_TEST);
    if (samples_ > 1 && !drawn.isEmpty()) {
        // With sRGB conversion on, the resolve averages the samples in linear light.
        glEnable(GL_FRAMEBUFFER_SRGB);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFramebuffer_.id());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolvedFramebuffer_.id());
        const int x1 = drawn.x + drawn.width, y1 = drawn.y + drawn.height;
        glBlitFramebuffer(drawn.x, drawn.y, x1, y1, drawn.x, drawn.y, x1, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, width_, height_);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The target may be larger than the frame (a view's framebuffer): touch only the frame's pixels.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, width_, height_);
    glClearColor(outside.r, outside.g, outside.b, outside.a);
    glClear(GL_COLOR_BUFFER_BIT);
    if (drawn.isEmpty()) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glScissor(drawn.x, topRowFirst ? height_ - drawn.y - drawn.height : drawn.y, drawn.width, drawn.height);
    present_.use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, resolved_.id());
    glBindSampler(0, rawSampler_.id());
    glUniform1i(present_.uniform("uFrame"), 0);
    glUniform2f(present_.uniform("uSize"), static_cast<float>(width_), static_cast<float>(height_));
    glUniform1i(present_.uniform("uRawSrgb"), skipDecode_ ? 1 : 0);
    glUniform1i(present_.uniform("uFlipRows"), topRowFirst ? 1 : 0);
    glUniform1i(present_.uniform("uHeight"), height_);
    glBindVertexArray(emptyVertexArray_.id());
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    glBindSampler(0, 0);
    glDisable(GL_SCISSOR_TEST);
}

}  // namespace plimsa
