#include "panel/CornerPage.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace plimsa {

const std::vector<std::pair<CornerSide, std::string>>& CornerPage::sideOptions() {
    static const std::vector<std::pair<CornerSide, std::string>> options{{CornerSide::left, "Bottom left"},
                                                                         {CornerSide::right, "Bottom right"}};
    return options;
}

const std::vector<std::pair<HeadMode, std::string>>& CornerPage::headOptions() {
    static const std::vector<std::pair<HeadMode, std::string>> options{
        {HeadMode::cursor, "Follow the cursor"},
        {HeadMode::idle, "Look around"},
        {HeadMode::forward, "Look ahead"}};
    return options;
}

CornerConfig CornerPage::config() const {
    const auto& corners = settings_.v().corners;
    const auto found =
        std::find_if(corners.begin(), corners.end(), [&](const CornerConfig& c) { return c.id == id_; });
    if (found != corners.end()) return *found;
    CornerConfig fallback;  // keeps the page's id so repeated reads agree
    fallback.id = id_;
    return fallback;
}

bool CornerPage::exists() const {
    return pageExists(settings_.v(), PanelPage::corner(id_));
}

std::string CornerPage::subtitle() const {
    const CornerSide side = config().side;
    std::string label;
    for (const auto& [value, text] : sideOptions())
        if (value == side) label = text;
    std::transform(label.begin(), label.end(), label.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return "Sitting in the " + label + " corner of the screen";
}

template <typename Edit>
void CornerPage::edit(Edit change) {
    if (!exists()) return;
    settings_.update([&](SettingsValues& values) {
        for (CornerConfig& corner : values.corners)
            if (corner.id == id_) change(corner);
    });
}

void CornerPage::setCharacter(const std::string& character) {
    edit([&](CornerConfig& corner) { corner.character = character; });
}

void CornerPage::setSide(CornerSide side) {
    edit([&](CornerConfig& corner) { corner.side = side; });
}

void CornerPage::setSize(double size) {
    if (std::isnan(size)) return;
    edit([&](CornerConfig& corner) { corner.size = std::clamp(size, kMinSize, kMaxSize); });
}

void CornerPage::setOpacity(double opacity) {
    if (std::isnan(opacity)) return;
    edit([&](CornerConfig& corner) { corner.opacity = std::clamp(opacity, kMinOpacity, kMaxOpacity); });
}

void CornerPage::setHeadMode(HeadMode mode) {
    edit([&](CornerConfig& corner) { corner.headMode = mode; });
}

PanelPage CornerPage::remove() {
    const auto& before = settings_.v().corners;
    const auto place =
        std::find_if(before.begin(), before.end(), [&](const CornerConfig& c) { return c.id == id_; });
    const auto index = static_cast<std::size_t>(place - before.begin());
    if (place != before.end())
        settings_.update([&](SettingsValues& values) {
            std::erase_if(values.corners, [&](const CornerConfig& corner) { return corner.id == id_; });
        });
    return pageAfterRemoval(settings_.v(), PanelPage::Kind::corner, index);
}

}  // namespace plimsa
