#pragma once

#include <memory>
#include <optional>

#include "config/CornerConfig.h"
#include "config/Uuid.h"
#include "corner/CornerScene.h"
#include "platform/desktop/DesktopGeometry.h"
#include "swing/WindowSize.h"

namespace plimsa {

class Desktop;
class OverlayWindow;

/// One configured corner sitter on screen: its overlay window and the corner scene it shows. Placing the
/// window is the tick's business. Main thread only.
class CornerInstance {
  public:
    /// A new scene (with `services`) and a hidden window sized for the scene's size. `desktop` must
    /// outlive the instance.
    CornerInstance(const Uuid& id, Desktop& desktop, CornerScene::Services services);
    ~CornerInstance();
    CornerInstance(const CornerInstance&) = delete;
    CornerInstance& operator=(const CornerInstance&) = delete;

    const Uuid& id() const { return id_; }
    OverlayWindow& window() const { return *window_; }
    CornerScene& scene() const { return *scene_; }
    /// The record last applied; before the first `apply` a default record with a random id, so that it
    /// differs from every stored one.
    const CornerConfig& config() const { return config_; }
    const std::optional<DesktopPoint>& lastOrigin() const { return lastOrigin_; }
    void setLastOrigin(std::optional<DesktopPoint> origin) { lastOrigin_ = origin; }

    /// Hands `config` to the scene and sets the frame rate, the window's opacity and its size.
    void apply(const CornerConfig& config, int frameRate);

    /// The window for a sitter of `size`: 120 points per scene unit and size, rounded half away from zero,
    /// each side held in [1, 16384] points.
    static WindowSize windowSize(double size);

  private:
    Uuid id_;
    std::shared_ptr<CornerScene> scene_;  // shared: the view holds it weakly as its delegate
    std::unique_ptr<OverlayWindow> window_;
    CornerConfig config_;
    std::optional<DesktopPoint> lastOrigin_;
};

}  // namespace plimsa
