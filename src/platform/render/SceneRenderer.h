#pragma once

#include "platform/render/Antialiasing.h"

#include <cstddef>
#include <memory>
#include <string>

namespace plimsa {

class FrameSignature;
class Node;
class Scene;

/// A framebuffer object of the current context to draw into, and its size in pixels. 0 is the context's
/// default framebuffer (a Qt view passes the FBO it was given). With `topRowFirst` the image is stored
/// upside down in GL terms, so that reading it back row by row gives rows top to bottom.
struct RenderTarget {
    unsigned framebuffer = 0;
    int width = 0;
    int height = 0;
    bool topRowFirst = false;
};

/// Draws scenes with OpenGL 3.3 core: metallic-roughness PBR (GGX) lit by the scene's ambient and
/// directional lights (intensity / 1000) and by the procedural sky of its lighting environment; GPU
/// skinning; blended surfaces after opaque ones, back to front; multisampling or edge smoothing. The frame is
/// composed in linear light and written to the target as premultiplied sRGB with alpha, the scene's
/// background colour (transparent by default) showing where nothing is drawn.
///
/// GPU copies of geometries and textures are made once and reused while the scene objects' revisions stay
/// the same; copies of objects that no longer exist are freed after the frame.
///
/// Thread: construct, use and destroy with the same GL context current on the calling thread (one
/// renderer per context). Does not call the scene's per-frame update; its owner does that first.
class SceneRenderer {
  public:
    /// Needs a current OpenGL 3.3 core context. Check `isValid`; on failure `error` says why.
    SceneRenderer();
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    bool isValid() const;
    const std::string& error() const;

    /// Renders `scene` seen from `pointOfView` (its camera, or a default camera when it carries none) into
    /// `target`. `samples` is clamped to [1, the implementation's maximum]. False, with the target left
    /// untouched, when the size is not positive or too large, or the renderer is invalid.
    bool render(const Scene& scene, const Node& pointOfView, const RenderTarget& target, int samples);
    bool render(const Scene& scene, const Node& pointOfView, const RenderTarget& target,
                Antialiasing antialiasing);
    /// `Antialiasing::forRenderer` for the renderer of the context current now.
    static Antialiasing overlayAntialiasing();

    enum class Outcome { drawn, unchanged, failed };
    /// As `render`, for a target that still holds the frame `lastDrawn` records: when this frame's
    /// signature is the same, nothing is drawn and the result is `unchanged`; when it is drawn, `lastDrawn`
    /// becomes its signature; on failure `lastDrawn` is cleared.
    Outcome renderIfChanged(const Scene& scene, const Node& pointOfView, const RenderTarget& target,
                            int samples, FrameSignature& lastDrawn);
    Outcome renderIfChanged(const Scene& scene, const Node& pointOfView, const RenderTarget& target,
                            Antialiasing antialiasing, FrameSignature& lastDrawn);

    /// How many geometries and textures have GPU copies now (for tests and diagnostics).
    size_t cachedGeometryCount() const;
    size_t cachedTextureCount() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace plimsa
