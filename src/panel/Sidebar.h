#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "library/Packs.h"
#include "panel/PanelPage.h"

namespace plimsa {

/// The settings panel's sidebar rules: row titles, notes, the two add buttons and the version footer.
/// `library` is the panel's list of character names (CharacterLibrary::names(), read when the panel is
/// made and after an import). Writes go through `Settings::update`, one change each. Main thread only.
namespace Sidebar {

/// The panel offers no more swings than this; the store itself takes more.
inline constexpr std::size_t kMaxSwings = 4;

/// "Empty swing" when every seat is empty; else each seat's display name (the catalogue's, else the raw
/// name; "Empty seat" for an empty seat) joined by " & ".
std::string swingTitle(const SwingConfig& config, const Packs::File& catalogue);

/// One navigation row: the page it shows, its title, the characters whose portraits it shows.
struct Row {
    PanelPage page;
    std::string title;
    std::vector<std::string> portraits;
    bool selected = false;

    bool operator==(const Row&) const = default;
};

/// One row per swing, titled by `swingTitle`, selected when `current` is its page.
std::vector<Row> swingRows(const SettingsValues& values, const Packs::File& catalogue,
                           const PanelPage& current);
/// One row per corner sitter, titled by its character's name.
std::vector<Row> cornerRows(const SettingsValues& values, const PanelPage& current);

/// The note shown instead of swing rows: none while a swing exists.
std::optional<std::string> swingsNote(const SettingsValues& values, const std::vector<std::string>& library);

/// Whether "Add a swing" is enabled: fewer than `kMaxSwings` swings.
bool canAddSwing(const SettingsValues& values);

/// The hanging point of a swing added next to `existingSwings` others, spreading the first three apart.
double newSwingAnchor(std::size_t existingSwings);

/// "Add a swing": with an empty library adds nothing and returns the packs page. Otherwise appends a copy
/// of the swing `current` shows (else the first swing, else a default record) with a new id, the first
/// library character in place of all-empty seats and `newSwingAnchor`, and returns the new swing's page.
/// When `canAddSwing` is false nothing changes and `current` comes back.
PanelPage addSwing(Settings& settings, const std::vector<std::string>& library, const PanelPage& current);

/// "Add a corner sitter": with an empty library adds nothing and returns the packs page. Otherwise appends
/// a default sitter (new id, size 1, opacity 0.85, head following the cursor) holding the first swing's
/// first non-empty seat, else the first library character, on the right unless one already sits there,
/// and returns its page.
PanelPage addCorner(Settings& settings, const std::vector<std::string>& library);

/// The footer: "Version 1.2"; with a newer version, "Version 1.3 is out" and the "See what's new" button.
struct Footer {
    std::string text;
    bool offersUpdate = false;

    bool operator==(const Footer&) const = default;
};
Footer footer(const std::string& currentVersion, const std::optional<std::string>& newerVersion);

}  // namespace Sidebar

}  // namespace plimsa
