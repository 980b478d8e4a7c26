#pragma once

#include <functional>
#include <memory>

#include "platform/desktop/DesktopGeometry.h"

namespace plimsa {

class Node;
class Scene;
class SceneRendererDelegate;

/// What an overlay's view draws: a scene seen from a point-of-view node, stepped each frame through its
/// delegate (held weakly) before it is drawn.
struct OverlayContent {
    std::shared_ptr<Scene> scene;
    std::shared_ptr<Node> pointOfView;
    std::weak_ptr<SceneRendererDelegate> delegate;
};

/// A borderless, transparent window above ordinary windows, on every workspace, that never takes the
/// focus and is not listed in task bars, pagers or window switchers, holding one scene view that fills it
/// (the overlay window and its hit view in one object). Geometry in points, origin at the bottom left of
/// the primary screen. Created hidden, not playing, ignoring the mouse. Main thread only.
class OverlayWindow {
  public:
    virtual ~OverlayWindow() = default;

    // --- Window ---
    virtual DesktopRect frame() const = 0;
    virtual void setFrameOrigin(DesktopPoint origin) = 0;
    /// Resizes the window and its view together; the origin stays.
    virtual void setContentSize(double width, double height) = 0;
    virtual bool isVisible() const = 0;
    /// Shows the window above ordinary windows without activating this application.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    /// While set, clicks pass through to whatever is below. Changing it never re-shows the window.
    virtual bool ignoresMouseEvents() const = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    /// The whole window's opacity in [0, 1].
    virtual void setAlpha(double alpha) = 0;

    // --- View ---
    /// A playing view steps and draws its scene at its preferred rate; a paused one costs nothing.
    virtual bool isPlaying() const = 0;
    virtual void setPlaying(bool playing) = 0;
    virtual void setPreferredFramesPerSecond(int framesPerSecond) = 0;
    /// Called on the main thread when a mouse button goes down over the view (only while the window
    /// catches the mouse). Empty: clicks do nothing.
    virtual void setOnClick(std::function<void()> onClick) = 0;
};

}  // namespace plimsa
