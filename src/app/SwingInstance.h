#pragma once

#include <memory>
#include <optional>

#include "config/SwingConfig.h"
#include "config/Uuid.h"
#include "platform/desktop/DesktopGeometry.h"
#include "swing/SwingScene.h"

namespace plimsa {

class Desktop;
class OverlayWindow;
class SwingInfo;

/// One configured swing on screen: its overlay window and the swing scene the window shows. Applies
/// configuration records, publishes the swing's size limits and keeps the window just large enough for
/// the swing's reach. Placing the window is the tick's business. Main thread only.
class SwingInstance {
  public:
    /// What one click on the swing adds to its push, radians per second.
    static constexpr double kClickPush = 1.4;
    /// The window shrinks only once the predicted amplitude falls below this share of the amplitude it
    /// was sized for (it grows as soon as the swing needs more room).
    static constexpr double kShrinkBelow = 0.7;

    /// A new scene (with `services`) and a hidden window sized for a full half-turn swing. `desktop` and
    /// `info` must outlive the instance.
    SwingInstance(const Uuid& id, Desktop& desktop, SwingInfo& info, SwingScene::Services services);
    ~SwingInstance();
    SwingInstance(const SwingInstance&) = delete;
    SwingInstance& operator=(const SwingInstance&) = delete;

    const Uuid& id() const { return id_; }
    OverlayWindow& window() const { return *window_; }
    SwingScene& scene() const { return *scene_; }
    /// The record last applied; the default record until the first `apply`.
    const SwingConfig& config() const { return config_; }
    /// The origin last given to the window; nothing means the next tick must place it.
    const std::optional<DesktopPoint>& lastOrigin() const { return lastOrigin_; }
    void setLastOrigin(std::optional<DesktopPoint> origin) { lastOrigin_ = origin; }
    /// The predicted amplitude (radians) the window was last sized for; -1 before the first fit.
    double sizedForAmplitude() const { return sizedForAmplitude_; }

    /// Hands `config` to the scene (characters, sizes, geometry, lighting), publishes the seats' size
    /// limits when they changed, sets the frame rate and refits the window from scratch.
    void apply(const SwingConfig& config, int frameRate);
    /// Resizes the window to the scene's predicted reach unless the amplitude is still within the band
    /// it was sized for (`holdsSize`). A resize forgets `lastOrigin`.
    void fitWindow();

    /// Whether a window sized for `sizedFor` still fits a swing predicted to reach `amplitude`.
    static bool holdsSize(double amplitude, double sizedFor) {
        return amplitude <= sizedFor && amplitude >= kShrinkBelow * sizedFor;
    }

  private:
    Uuid id_;
    SwingInfo& info_;
    std::shared_ptr<SwingScene> scene_;  // shared: the view holds it weakly as its delegate
    std::unique_ptr<OverlayWindow> window_;
    std::optional<DesktopPoint> lastOrigin_;
    SwingConfig config_;
    double sizedForAmplitude_ = -1.0;
};

}  // namespace plimsa
