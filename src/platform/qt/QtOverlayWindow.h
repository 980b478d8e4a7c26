#pragma once

#include <memory>

#include "platform/desktop/OverlayWindow.h"
#include "platform/qt/OverlayRenderer.h"

class QWindow;

namespace plimsa {

/// An overlay on Qt: a frameless OpenGL QWindow with an alpha channel (a 32-bit ARGB visual on X11) that
/// the window manager does not manage (override-redirect on X11): above normal windows, on every
/// workspace, never focused, in no task bar, pager or window switcher, without a frame. Click-through is an
/// empty input shape toggled in place, never by re-showing the window. The frame is kept as asked, in points,
/// and placed in Qt's logical pixels; the view renders at the window's size times its device pixel ratio. A
/// mouse press calls the click action. GUI thread only; the renderer must outlive the window.
class QtOverlayWindow final : public OverlayWindow {
  public:
    QtOverlayWindow(OverlayRenderer& renderer, const OverlayContent& content, double width, double height);
    ~QtOverlayWindow() override;

    DesktopRect frame() const override { return frame_; }
    void setFrameOrigin(DesktopPoint origin) override;
    void setContentSize(double width, double height) override;
    bool isVisible() const override;
    void orderFront() override;
    void orderOut() override;
    bool ignoresMouseEvents() const override { return ignoresMouse_; }
    void setIgnoresMouseEvents(bool ignores) override;
    void setAlpha(double alpha) override;

    bool isPlaying() const override { return view_.playing; }
    void setPlaying(bool playing) override;
    void setPreferredFramesPerSecond(int framesPerSecond) override;
    void setOnClick(std::function<void()> onClick) override { onClick_ = std::move(onClick); }

    /// The native window, for tests and diagnostics.
    QWindow& window();
    /// Frames drawn so far; a frame identical to the one shown is not drawn and not counted.
    int framesDrawn() const { return view_.framesDrawn; }

  private:
    class Surface;
    void place();

    OverlayRenderer& renderer_;
    std::unique_ptr<Surface> surface_;
    OverlayRenderer::View view_;
    DesktopRect frame_;
    bool ignoresMouse_ = true;
    std::function<void()> onClick_;
};

}  // namespace plimsa
