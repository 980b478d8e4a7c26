#pragma once

#include "platform/image/Image.h"
#include "platform/render/Antialiasing.h"

#include <memory>
#include <optional>
#include <string>

namespace plimsa {

class EglContext;
class Node;
class Scene;
class SceneRenderer;
class SceneRendererDelegate;

/// An offscreen renderer with its own headless OpenGL context (SceneKit's SCNRenderer on a device):
/// each snapshot runs the delegate's per-frame update for the requested time, renders the scene and
/// reads the image back. GPU copies of the scene's objects persist between snapshots.
///
/// Thread: any one thread at a time; the context is made current on the calling thread for each call, so
/// a renderer may be handed from thread to thread but never used by two at once. Make one renderer per
/// thread that renders at the same time.
class SnapshotRenderer {
  public:
    /// nullptr when no headless OpenGL 3.3 context can be made (`error`, when given, says why).
    static std::unique_ptr<SnapshotRenderer> create(std::string* error = nullptr);
    ~SnapshotRenderer();

    /// The per-frame hook, held weakly; the call is skipped once the delegate is gone.
    void setDelegate(std::weak_ptr<SceneRendererDelegate> delegate) { delegate_ = std::move(delegate); }

    /// Calls the delegate's updateAtTime(time), then renders `scene` from `pointOfView` at `width` x
    /// `height` pixels with `samples` samples per pixel (1 = no antialiasing; clamped to what the
    /// implementation offers). The image is premultiplied sRGB with alpha, rows top to bottom.
    /// Nothing when a side is not positive or above 8192 pixels, or the context cannot be used.
    std::optional<Image> snapshot(const Scene& scene, const Node& pointOfView, int width, int height,
                                  int samples, double time);
    /// The same with any antialiasing (edge smoothing, say).
    std::optional<Image> snapshot(const Scene& scene, const Node& pointOfView, int width, int height,
                                  Antialiasing antialiasing, double time);

    /// The underlying scene renderer (for cache statistics); valid while this object lives.
    const SceneRenderer& sceneRenderer() const { return *renderer_; }

  private:
    SnapshotRenderer() = default;
    bool ensureTarget(int width, int height);

    std::unique_ptr<EglContext> context_;
    std::unique_ptr<SceneRenderer> renderer_;
    std::weak_ptr<SceneRendererDelegate> delegate_;
    unsigned framebuffer_ = 0;
    unsigned renderbuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace plimsa
