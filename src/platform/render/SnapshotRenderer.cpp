#include "platform/render/SnapshotRenderer.h"

#include "platform/render/EglContext.h"
#include "platform/render/GlObject.h"
#include "platform/render/SceneRenderer.h"
#include "platform/scene/SceneRendererDelegate.h"

namespace plimsa {
namespace {

constexpr int kMaxExtent = 8192;

}  // namespace

std::unique_ptr<SnapshotRenderer> SnapshotRenderer::create(std::string* error) {
    std::unique_ptr<EglContext> context = EglContext::create(error);
    if (!context) return nullptr;
    std::unique_ptr<SnapshotRenderer> result(new SnapshotRenderer());
    result->renderer_ = std::make_unique<SceneRenderer>();
    if (!result->renderer_->isValid()) {
        if (error) *error = result->renderer_->error();
        return nullptr;
    }
    result->context_ = std::move(context);
    result->context_->release();
    return result;
}

SnapshotRenderer::~SnapshotRenderer() {
    if (!context_) return;
    if (!context_->makeCurrent()) {
        // Deleting GL objects with no context current would abort; leaking them is the lesser harm (the
        // context, destroyed below, takes its objects with it in any case).
        static_cast<void>(renderer_.release());
        return;
    }
    // GL objects must go while their context is current.
    renderer_.reset();
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (renderbuffer_) glDeleteRenderbuffers(1, &renderbuffer_);
    context_->release();
}

bool SnapshotRenderer::ensureTarget(int width, int height) {
    if (framebuffer_ && width == width_ && height == height_) return true;
    if (!framebuffer_) glGenFramebuffers(1, &framebuffer_);
    if (!renderbuffer_) glGenRenderbuffers(1, &renderbuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        width_ = height_ = 0;
        return false;
    }
    width_ = width, height_ = height;
    return true;
}

std::optional<Image> SnapshotRenderer::snapshot(const Scene& scene, const Node& pointOfView, int width,
                                                int height, int samples, double time) {
    return snapshot(scene, pointOfView, width, height, Antialiasing{samples, false}, time);
}

std::optional<Image> SnapshotRenderer::snapshot(const Scene& scene, const Node& pointOfView, int width,
                                                int height, Antialiasing antialiasing, double time) {
    if (width <= 0 || height <= 0 || width > kMaxExtent || height > kMaxExtent) return std::nullopt;
    if (std::shared_ptr<SceneRendererDelegate> delegate = delegate_.lock()) delegate->updateAtTime(time);
    if (!context_->makeCurrent()) return std::nullopt;
    std::optional<Image> result;
    if (ensureTarget(width, height) &&
        renderer_->render(scene, pointOfView, {framebuffer_, width, height, true}, antialiasing)) {
        Image image(width, height, true);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        if (glGetError() == GL_NO_ERROR) result = std::move(image);
    }
    context_->release();
    return result;
}

}  // namespace plimsa
