#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/Settings.h"

namespace plimsa {

/// The general page's rules: the settings shared by every swing. Each setter is one `Settings::update`.
/// Main thread only.
namespace GeneralPage {

inline constexpr std::string_view kTitle = "General";
inline constexpr std::string_view kSubtitle = "Settings shared by every swing.";
inline constexpr std::string_view kPerformanceHint =
    "Swings pause rendering while no window is in front of them. Each swing costs about as much as a small "
    "game "
    "running; up to four.";

/// "Frame rate" picker options in display order.
const std::vector<std::pair<int, std::string>>& frameRateOptions();

/// Kept within 0 to 1; a value that is not a number is ignored.
void setLightContrast(Settings& settings, double contrast);
/// Only the picker's rates are taken; any other rate is ignored.
void setFrameRate(Settings& settings, int rate);

}  // namespace GeneralPage

}  // namespace plimsa
