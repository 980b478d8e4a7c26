#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plimsa {

class CharacterPreviews;
class Dispatch;
class Packs;
class PortraitScenes;
class Settings;
class SwingInfo;
class UpdateChecker;

/// What the settings panel works on: the one settings store and the objects it observes, and the ways it
/// reaches outside the program. The app hands in the process-wide objects; tests hand in their own. Every
/// reference must outlive the panel. Main thread only.
struct PanelServices {
    Settings& settings;
    SwingInfo& swingInfo;
    Packs& packs;
    CharacterPreviews& previews;
    PortraitScenes& portraits;
    Dispatch& dispatch;
    /// The footer's update line and "See what's new"; null: the footer shows the version only.
    UpdateChecker* updates = nullptr;
    /// The running version, shown in the footer.
    std::string currentVersion;
    /// The launch arguments (for "--panel-packs").
    std::vector<std::string> arguments;
    /// The earn card's page; empty: no earn card (a button that opens nothing is not shown).
    std::string earnUrl;
    /// Opens a web page or a local file or folder (file:// URL) in the user's default program.
    std::function<void(const std::string& url)> openUrl;
};

}  // namespace plimsa
