#include <set>
#include <system_error>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"

namespace plimsa {

namespace {

class ReferenceCheck {
  public:
    explicit ReferenceCheck(const std::vector<std::string>& names) : names_(names.begin(), names.end()) {}

    bool survives(const std::string& reference) const {
        if (reference.empty()) return false;
        if (names_.contains(reference)) return true;
        std::error_code error;
        return reference.front() == '/' && std::filesystem::exists(reference, error);
    }

  private:
    std::set<std::string, std::less<>> names_;
};

// The swings that keep at least one character, each stripped of the references that are gone; nothing when
// no swing changes.
std::optional<std::vector<SwingConfig>> prunedSwings(const std::vector<SwingConfig>& swings,
                                                     const ReferenceCheck& check) {
    bool changed = false;
    std::vector<SwingConfig> kept;
    for (SwingConfig swing : swings) {
        std::vector<std::string> surviving;
        for (const auto& reference : swing.characters)
            if (check.survives(reference)) surviving.push_back(reference);
        if (surviving != swing.characters) {
            changed = true;
            swing.characters = std::move(surviving);
        }
        if (!swing.characters.empty()) kept.push_back(std::move(swing));
    }
    if (!changed) return std::nullopt;
    return kept;
}

}  // namespace

void CharacterLibrary::migrateBuiltIn(Settings& settings) {
    const ReferenceCheck check(names());
    if (auto swings = prunedSwings(settings.v().swings, check)) {
        settings.update([&](Settings::Values& values) { values.swings = std::move(*swings); });
    }
    std::vector<CornerConfig> corners;
    for (const auto& corner : settings.v().corners)
        if (check.survives(corner.character)) corners.push_back(corner);
    if (corners.size() != settings.v().corners.size()) {
        settings.update([&](Settings::Values& values) { values.corners = std::move(corners); });
    }
}

}  // namespace plimsa
