#include "platform/render/FrameTargets.h"

#include "platform/render/ShaderSources.h"

namespace plimsa {

FrameTargets::FrameTargets()
    : resolveSingle_(ShaderProgram::build(ShaderSources::fullScreenVertex(), ShaderSources::resolveFragment())),
      resolveMulti_(ShaderProgram::build(ShaderSources::fullScreenVertex(), ShaderSources::resolveFragment(),
                                         "#define MULTISAMPLE 1\n")) {
    log_ = resolveSingle_.log() + resolveMulti_.log();
    emptyVertexArray_ = GlVertexArray::generate();
}

bool FrameTargets::allocate(int width, int height, int samples) {
    framebuffer_ = GlFramebuffer::generate();
    color_ = GlTexture::generate();
    depth_ = GlRenderbuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.id());
    const GLenum textureTarget = samples > 1 ? GL_TEXTURE_2D_MULTISAMPLE : GL_TEXTURE_2D;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(textureTarget, color_.id());
    if (samples > 1) {
        glTexImage2DMultisample(GL_TEXTURE_2D_MULTISAMPLE, samples, GL_SRGB8_ALPHA8, width, height, GL_TRUE);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, textureTarget, color_.id(), 0);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_.id());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples > 1 ? samples : 0, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.id());
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        framebuffer_.reset();
        color_.reset();
        depth_.reset();
        width_ = height_ = samples_ = 0;
        return false;
    }
    width_ = width, height_ = height, samples_ = samples;
    return true;
}

bool FrameTargets::bind(int width, int height, int samples) {
    if (!framebuffer_ || width != width_ || height != height_ || samples != samples_) {
        if (!allocate(width, height, samples)) return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.id());
    glViewport(0, 0, width, height);
    return true;
}

void FrameTargets::resolveInto(GLuint target) {
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, width_, height_);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    ShaderProgram& program = samples_ > 1 ? resolveMulti_ : resolveSingle_;
    program.use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(samples_ > 1 ? GL_TEXTURE_2D_MULTISAMPLE : GL_TEXTURE_2D, color_.id());
    glBindSampler(0, 0);
    glUniform1i(program.uniform("uFrame"), 0);
    glUniform1i(program.uniform("uSamples"), samples_);
    glUniform2i(program.uniform("uOffset"), 0, 0);
    glBindVertexArray(emptyVertexArray_.id());
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
}

}  // namespace plimsa
