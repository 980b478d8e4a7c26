#pragma once

#include <optional>

#include "swing/SwingExtent.h"
#include "swing/WindowSize.h"

namespace plimsa {

/// How large the transparent overlay must be for a swing to stay in view through its arc. One scene unit
/// is 120 points at swing scale 1; the bar lies on the window's top edge, so only what swings below the
/// bar counts. Pure; any thread.
class WindowSizing {
  public:
    /// Screen limits used when no main screen is known.
    static constexpr WindowSize kFallbackLimits{1600.0, 900.0};

    /// The window size in points for a swing reaching `amplitude` radians either way (pi or more: the
    /// whole circle). At least 300 x 420 points times the scale (600 wide for two seats), never wider than
    /// the screen nor taller than 90 % of it. `screen` is the main screen's frame size; without one (or
    /// with an unusable one) the limits are 1600 by 900. A non-finite amplitude counts as pi.
    static WindowSize requiredSize(const SwingExtent& swing, double amplitude,
                                   const std::optional<WindowSize>& screen);

  private:
    struct Reach {
        double halfWidth = 0.0;  // scene units, seen at the bar's distance
        double depth = 0.0;      // below the bar, likewise
    };
    static Reach sweep(const SwingExtent& swing, double from, double to, double cameraDistance);
};

}  // namespace plimsa
