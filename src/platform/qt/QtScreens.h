#pragma once

#include "platform/desktop/Screens.h"

namespace plimsa {

/// The screens as Qt sees them: the primary screen's geometry and available geometry, in our coordinates.
/// Asked afresh every time, so monitors and panels that come and go are followed. GUI thread only.
class QtScreens final : public Screens {
  public:
    std::optional<Rect> mainScreenFrame() const override;
    std::optional<Rect> mainScreenVisibleFrame() const override;
};

}  // namespace plimsa
