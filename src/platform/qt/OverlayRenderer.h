#pragma once

#include <QElapsedTimer>
#include <QSurfaceFormat>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop/OverlayWindow.h"
#include "platform/render/Antialiasing.h"
#include "platform/render/FrameSignature.h"

class QOffscreenSurface;
class QOpenGLContext;
class QWindow;

namespace plimsa {

class SceneRenderer;

/// The frame clock and the one GL context and scene renderer that every overlay window draws with.
///
/// One precise timer runs at the highest preferred rate among the playing views and stops when none
/// plays, so paused views cost nothing. On each firing every playing, exposed view whose own frame
/// interval has elapsed is stepped: the context is made current on its window, the delegate is stepped to
/// the monotonic seconds since the view first played, and when the frame differs from the one the window
/// shows (its signature), the scene is rendered antialiased as suits the GL renderer (2x multisampling on
/// a GPU, edge smoothing on a CPU rasteriser) at the window's size in pixels (points times the device
/// pixel ratio) and the buffers are swapped. A still scene costs its stepping
/// only. The swap interval is 0, so no window waits for the display's refresh. Output is premultiplied
/// alpha.
///
/// When no OpenGL 3.3 core context can be made the overlays stay empty; one line on stderr says why.
/// GL resources are released at destruction with the context current. GUI thread only.
class OverlayRenderer {
  public:
    /// One view the clock draws; owned by its overlay window, which registers it while it lives.
    struct View {
        QWindow* window = nullptr;
        OverlayContent content;
        bool playing = false;
        int framesPerSecond = 60;
        std::optional<double> startedAt;  // clock seconds when the view first played
        double lastFrameAt = -1e9;
        int framesDrawn = 0;   // frames actually drawn and swapped, not the still ones skipped
        FrameSignature shown;  // what the window holds; cleared when its contents may be lost
    };

    OverlayRenderer();
    ~OverlayRenderer();
    OverlayRenderer(const OverlayRenderer&) = delete;
    OverlayRenderer& operator=(const OverlayRenderer&) = delete;

    /// The format every overlay window and the context share: OpenGL 3.3 core, 8-bit alpha (a 32-bit ARGB
    /// visual on X11), no multisampled window buffer (the renderer resolves its own), swap interval 0.
    static QSurfaceFormat surfaceFormat();

    void add(View& view);
    void remove(View& view);
    /// A view started or stopped playing or changed its rate: the clock is set again.
    void viewChanged(View& view);
    /// Draws a view once without stepping its scene (a paused window that is shown or uncovered).
    void drawStill(View& view);
    /// The window may have lost what it showed (exposed, resized, shown again): its next frame draws.
    static void contentsLost(View& view) { view.shown.clear(); }
    /// Puts every shown overlay back on top of the stacking order (after a window manager raised a window
    /// it activated; some raise above windows they do not manage).
    void raiseShown();

    /// The frame clock's interval in milliseconds; 0 while it is stopped.
    int clockInterval() const { return timer_.isActive() ? timer_.interval() : 0; }

  private:
    double now() const;
    void tick();
    bool draw(View& view, double now, bool step);
    bool ensureRenderer(QWindow* window);

    QElapsedTimer clock_;
    QTimer timer_;
    std::vector<View*> views_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOffscreenSurface> releaseSurface_;
    std::unique_ptr<SceneRenderer> renderer_;
    Antialiasing antialiasing_;  // chosen for the context's renderer when the scene renderer is made
    bool failed_ = false;
};

}  // namespace plimsa
