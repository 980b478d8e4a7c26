#pragma once

#include <optional>

#include "platform/desktop/DesktopGeometry.h"

namespace plimsa {

/// The desktop's screens, as far as the scenes need them. Rectangles are in points with the origin at
/// the bottom left of the primary screen, y up. Implemented over the toolkit in platform/qt; tests use a
/// fake. Main thread only.
class Screens {
  public:
    using Rect = DesktopRect;

    virtual ~Screens() = default;

    /// The main screen's whole frame; nothing when there is no screen (headless, or between monitors).
    virtual std::optional<Rect> mainScreenFrame() const = 0;
    /// The main screen's usable area (without panels and docks); nothing when there is no screen.
    virtual std::optional<Rect> mainScreenVisibleFrame() const = 0;
};

}  // namespace plimsa
