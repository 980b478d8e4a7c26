#include "panel/Sidebar.h"

#include <algorithm>

namespace plimsa::Sidebar {

namespace {

bool allEmpty(const std::vector<std::string>& seats) {
    return std::all_of(seats.begin(), seats.end(), [](const std::string& seat) { return seat.empty(); });
}

const SwingConfig* findSwing(const SettingsValues& values, const PanelPage& page) {
    if (page.kind != PanelPage::Kind::swing) return nullptr;
    const auto found = std::find_if(values.swings.begin(), values.swings.end(),
                                    [&](const SwingConfig& swing) { return swing.id == page.id; });
    return found == values.swings.end() ? nullptr : &*found;
}

}  // namespace

std::string swingTitle(const SwingConfig& config, const Packs::File& catalogue) {
    if (allEmpty(config.characters)) return "Empty swing";
    std::string title;
    for (const std::string& seat : config.characters) {
        if (!title.empty()) title += " & ";
        if (seat.empty()) {
            title += "Empty seat";
            continue;
        }
        const auto display = catalogue.characters.find(seat);
        title += display == catalogue.characters.end() ? seat : display->second;
    }
    return title;
}

std::vector<Row> swingRows(const SettingsValues& values, const Packs::File& catalogue,
                           const PanelPage& current) {
    std::vector<Row> rows;
    for (const SwingConfig& swing : values.swings) {
        const PanelPage page = PanelPage::swing(swing.id);
        rows.push_back({page, swingTitle(swing, catalogue), swing.characters, page == current});
    }
    return rows;
}

std::vector<Row> cornerRows(const SettingsValues& values, const PanelPage& current) {
    std::vector<Row> rows;
    for (const CornerConfig& corner : values.corners) {
        const PanelPage page = PanelPage::corner(corner.id);
        rows.push_back({page, corner.character, {corner.character}, page == current});
    }
    return rows;
}

std::optional<std::string> swingsNote(const SettingsValues& values, const std::vector<std::string>& library) {
    if (!values.swings.empty()) return std::nullopt;
    if (library.empty()) return "Get a pack first.";
    return "No swings. Sitters only, if that's your thing.";
}

bool canAddSwing(const SettingsValues& values) {
    return values.swings.size() < kMaxSwings;
}

double newSwingAnchor(std::size_t existingSwings) {
    if (existingSwings == 0) return 0.72;
    if (existingSwings == 1) return 0.25;
    return 0.5;
}

PanelPage addSwing(Settings& settings, const std::vector<std::string>& library, const PanelPage& current) {
    if (!canAddSwing(settings.v())) return current;
    if (library.empty()) return PanelPage::packs();
    const SettingsValues& values = settings.v();
    SwingConfig swing;
    if (const SwingConfig* shown = findSwing(values, current))
        swing = *shown;
    else if (!values.swings.empty())
        swing = values.swings.front();
    swing.id = Uuid::random();
    if (allEmpty(swing.characters)) swing.characters = {library.front()};
    swing.anchorFraction = newSwingAnchor(values.swings.size());
    settings.update([&](SettingsValues& next) { next.swings.push_back(swing); });
    return PanelPage::swing(swing.id);
}

PanelPage addCorner(Settings& settings, const std::vector<std::string>& library) {
    if (library.empty()) return PanelPage::packs();
    const SettingsValues& values = settings.v();
    CornerConfig corner;
    corner.id = Uuid::random();
    corner.size = 1.0;
    corner.opacity = 0.85;
    corner.headMode = HeadMode::cursor;
    corner.character = library.front();
    if (!values.swings.empty()) {
        const auto& seats = values.swings.front().characters;
        const auto seated =
            std::find_if(seats.begin(), seats.end(), [](const std::string& s) { return !s.empty(); });
        if (seated != seats.end()) corner.character = *seated;
    }
    const bool rightTaken =
        std::any_of(values.corners.begin(), values.corners.end(),
                    [](const CornerConfig& other) { return other.side == CornerSide::right; });
    corner.side = rightTaken ? CornerSide::left : CornerSide::right;
    settings.update([&](SettingsValues& next) { next.corners.push_back(corner); });
    return PanelPage::corner(corner.id);
}

Footer footer(const std::string& currentVersion, const std::optional<std::string>& newerVersion) {
    if (newerVersion) return {"Version " + *newerVersion + " is out", true};
    return {"Version " + currentVersion, false};
}

}  // namespace plimsa::Sidebar
