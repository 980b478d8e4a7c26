#include "panel/PanelPage.h"

#include <algorithm>

namespace plimsa {

OpenOnPacks& OpenOnPacks::shared() {
    static OpenOnPacks request;
    return request;
}

bool asksForPacksPage(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), "--panel-packs") != arguments.end();
}

PanelPage initialPage(const SettingsValues& values, bool onPacks) {
    if (onPacks) return PanelPage::packs();
    if (!values.swings.empty()) return PanelPage::swing(values.swings.front().id);
    if (!values.corners.empty()) return PanelPage::corner(values.corners.front().id);
    return PanelPage::packs();
}

bool pageExists(const SettingsValues& values, const PanelPage& page) {
    const auto hasId = [&](const auto& records) {
        return std::any_of(records.begin(), records.end(),
                           [&](const auto& record) { return record.id == page.id; });
    };
    switch (page.kind) {
        case PanelPage::Kind::swing:
            return hasId(values.swings);
        case PanelPage::Kind::corner:
            return hasId(values.corners);
        case PanelPage::Kind::packs:
        case PanelPage::Kind::general:
            return true;
    }
    return false;
}

PanelPage pageAfterRemoval(const SettingsValues& values, PanelPage::Kind kind, std::size_t place) {
    const auto at = [&](const auto& records) { return records[std::min(place, records.size() - 1)].id; };
    const bool swing = kind == PanelPage::Kind::swing;
    if (swing && !values.swings.empty()) return PanelPage::swing(at(values.swings));
    if (!swing && !values.corners.empty()) return PanelPage::corner(at(values.corners));
    if (swing && !values.corners.empty()) return PanelPage::corner(values.corners.front().id);
    if (!swing && !values.swings.empty()) return PanelPage::swing(values.swings.front().id);
    return PanelPage::packs();
}

}  // namespace plimsa
