#pragma once

#include <memory>
#include <mutex>

namespace plimsa {

class PortraitScene;
class SceneRenderer;

/// What the live portraits of one OpenGL context draw with: one scene renderer and a rounded-corner mask.
/// Items share it through `forCurrentContext`; it is freed with the last of them.
///
/// Render thread: made, used and freed with its context current. A renderer freed without its context
/// current (a context already gone) keeps its GL names, which go with the context.
class PortraitRenderer {
  public:
    /// The renderer of the current context, made on first use; null without a current context or when the
    /// scene renderer cannot start there (said once on stderr).
    static std::shared_ptr<PortraitRenderer> forCurrentContext();

    /// Held around every use of a live portrait scene: posing on the GUI thread, drawing here.
    static std::mutex& sceneLock();

    ~PortraitRenderer();
    PortraitRenderer(const PortraitRenderer&) = delete;
    PortraitRenderer& operator=(const PortraitRenderer&) = delete;

    /// Draws `scene` from its camera, single-sampled, into `framebuffer` of `width` x `height` pixels (rows
    /// top to bottom, premultiplied), then clears what lies outside a rounded square of corner `radius`
    /// pixels. The caller holds the scene's lock. False when nothing could be drawn.
    bool draw(const PortraitScene& scene, unsigned framebuffer, int width, int height, float radius);

  private:
    struct Mask;
    PortraitRenderer(std::unique_ptr<SceneRenderer> scenes, std::unique_ptr<Mask> mask);

    std::unique_ptr<SceneRenderer> scenes_;
    std::unique_ptr<Mask> mask_;
};

}  // namespace plimsa
