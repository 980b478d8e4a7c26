// libepoxy must come before any Qt OpenGL header.
#include <epoxy/gl.h>

#include "platform/qt/OverlayRenderer.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/render/SceneRenderer.h"
#include "platform/scene/SceneRendererDelegate.h"

namespace plimsa {
namespace {

int clampedRate(int framesPerSecond) {
    return std::clamp(framesPerSecond, 1, 240);
}

}  // namespace

OverlayRenderer::OverlayRenderer() {
    clock_.start();
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
}

OverlayRenderer::~OverlayRenderer() {
    timer_.stop();
    if (renderer_ && releaseSurface_ && context_->makeCurrent(releaseSurface_.get())) {
        renderer_.reset();
        context_->doneCurrent();
    } else {
        // Without a current context the GL names cannot be freed; they go with the context.
        (void)renderer_.release();
    }
}

QSurfaceFormat OverlayRenderer::surfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    format.setSamples(0);
    format.setSwapInterval(0);
    return format;
}

double OverlayRenderer::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) * 1e-9;
}

void OverlayRenderer::add(View& view) {
    if (std::find(views_.begin(), views_.end(), &view) == views_.end()) views_.push_back(&view);
    viewChanged(view);
}

void OverlayRenderer::raiseShown() {
    for (View* view : views_)
        if (view->window != nullptr && view->window->isVisible()) view->window->raise();
}

void OverlayRenderer::remove(View& view) {
    std::erase(views_, &view);
    viewChanged(view);
}

void OverlayRenderer::viewChanged(View& view) {
    if (view.playing && !view.startedAt) view.startedAt = now();
    int fastest = 0;
    for (const View* each : views_)
        if (each->playing) fastest = std::max(fastest, clampedRate(each->framesPerSecond));
    if (fastest == 0) {
        timer_.stop();
        return;
    }
    const int interval = std::max(1, static_cast<int>(std::lround(1000.0 / fastest)));
    if (!timer_.isActive() || timer_.interval() != interval) timer_.start(interval);
}

void OverlayRenderer::drawStill(View& view) {
    draw(view, now(), false);
}

void OverlayRenderer::tick() {
    const double time = now();
    // A view is due when its interval has elapsed within half a tick, so 30 fps on a 60 Hz clock stays
    // 30 fps rather than slipping to every third tick on timer jitter.
    const double slack = timer_.interval() * 0.5e-3;
    const std::vector<View*> views = views_;
    for (View* view : views) {
        if (std::find(views_.begin(), views_.end(), view) == views_.end()) continue;
        if (!view->playing) continue;
        if (time - view->lastFrameAt < 1.0 / clampedRate(view->framesPerSecond) - slack) continue;
        draw(*view, time, true);
    }
}

bool OverlayRenderer::ensureRenderer(QWindow* window) {
    if (failed_) return false;
    if (!context_) {
        context_ = std::make_unique<QOpenGLContext>();
        context_->setFormat(surfaceFormat());
        if (!context_->create()) {
            failed_ = true;
            std::fputs("plimsa: no OpenGL context for the overlay windows; they stay empty\n", stderr);
            return false;
        }
        releaseSurface_ = std::make_unique<QOffscreenSurface>();
        releaseSurface_->setFormat(context_->format());
        releaseSurface_->create();
    }
    if (!context_->makeCurrent(window)) return false;
    if (!renderer_) {
        renderer_ = std::make_unique<SceneRenderer>();
        antialiasing_ = SceneRenderer::overlayAntialiasing();
        if (!renderer_->isValid()) {
            std::fprintf(stderr, "plimsa: the overlay renderer cannot start: %s\n",
                         renderer_->error().c_str());
            renderer_.reset();
            failed_ = true;
            return false;
        }
    }
    return true;
}

bool OverlayRenderer::draw(View& view, double time, bool step) {
    QWindow* window = view.window;
    const OverlayContent& content = view.content;
    if (window == nullptr || !window->isExposed() || !content.scene || !content.pointOfView) return false;
    if (!ensureRenderer(window)) return false;
    if (step) {
        if (auto delegate = content.delegate.lock())
            delegate->updateAtTime(time - view.startedAt.value_or(time));
    }
    const double ratio = window->devicePixelRatio();
    const RenderTarget target{context_->defaultFramebufferObject(),
                              std::max(1, static_cast<int>(std::lround(window->width() * ratio))),
                              std::max(1, static_cast<int>(std::lround(window->height() * ratio))), false};
    view.lastFrameAt = time;
    const SceneRenderer::Outcome outcome =
        renderer_->renderIfChanged(*content.scene, *content.pointOfView, target, antialiasing_, view.shown);
    if (outcome != SceneRenderer::Outcome::drawn) return false;
    context_->swapBuffers(window);
    ++view.framesDrawn;
    return true;
}

}  // namespace plimsa
