#include "panel/GeneralPage.h"

#include <algorithm>
#include <cmath>

namespace plimsa::GeneralPage {

const std::vector<std::pair<int, std::string>>& frameRateOptions() {
    static const std::vector<std::pair<int, std::string>> options{{60, "Smooth · 60 fps"},
                                                                  {30, "Efficient · 30 fps"}};
    return options;
}

void setLightContrast(Settings& settings, double contrast) {
    if (std::isnan(contrast)) return;
    settings.update([&](SettingsValues& values) { values.lightContrast = std::clamp(contrast, 0.0, 1.0); });
}

void setFrameRate(Settings& settings, int rate) {
    const auto& options = frameRateOptions();
    if (std::none_of(options.begin(), options.end(),
                     [&](const auto& option) { return option.first == rate; }))
        return;
    settings.update([&](SettingsValues& values) { values.frameRate = rate; });
}

}  // namespace plimsa::GeneralPage
