#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/desktop/Screens.h"
#include "support/FakeCharacter.h"
#include "support/TemporaryFolder.h"
#include "swing/SwingScene.h"

namespace plimsa::testing {

class FakeScreens final : public Screens {
  public:
    std::optional<Rect> frame;
    std::optional<Rect> mainScreenFrame() const override { return frame; }
    std::optional<Rect> mainScreenVisibleFrame() const override { return frame; }
};

/// A swing scene over fake characters: `library` maps names to models; files are "/lib/<name>.glb".
class SwingSceneFixture : public ::testing::Test {
  protected:
    struct Model {
        double halfWidth = 0.45;
        double reachFrom = 0.0;  // smallest size at which the hands reach
        bool arms = true;
        bool broken = false;  // the file exists but does not load
    };

    SwingScene::Services services() {
        SwingScene::Services s;
        s.settings = &settings;
        s.screens = &screens;
        s.locate = [this](std::string_view name) -> std::optional<std::filesystem::path> {
            if (!library.contains(std::string(name))) return std::nullopt;
            return std::filesystem::path("/lib") / (std::string(name) + ".glb");
        };
        s.load = [this](const std::filesystem::path& file) -> std::unique_ptr<SwingCharacter> {
            ++loads;
            const auto found = library.find(file.stem().string());
            if (found == library.end() || found->second.broken) return nullptr;
            const Model& m = found->second;
            return std::make_unique<FakeCharacter>(FakeCharacter::Options{.halfWidth = m.halfWidth,
                                                                          .hasArms = m.arms,
                                                                          .reachFrom = m.reachFrom,
                                                                          .lapFallbacks = &lapFallbacks});
        };
        s.placeholder = [this]() -> std::unique_ptr<SwingCharacter> {
            ++placeholders;
            return std::make_unique<FakeCharacter>(FakeCharacter::Options{.hasArms = false});
        };
        s.lapFallbacks = [this] { return lapFallbacks; };
        s.resetLapFallbacks = [this] { lapFallbacks = 0; };
        s.seed = 42;
        return s;
    }

    std::unique_ptr<SwingScene> makeScene() { return std::make_unique<SwingScene>(services()); }

    /// What the swing's instance does on every configuration change.
    static void apply(SwingScene& scene, const SwingConfig& config) {
        scene.setConfig(config);
        scene.setCharacters(config.characters);
        scene.settingsChanged();
    }

    static FakeCharacter& fake(const SwingScene& scene, size_t index) {
        return dynamic_cast<FakeCharacter&>(*scene.characters().at(index));
    }

    const ScopedEnvironment floor{"PLIMSA_NOFLOOR"};  // seat sizing reads it
    MemoryDefaults defaults;
    Settings settings{defaults};
    FakeScreens screens;
    std::map<std::string, Model> library;
    int loads = 0;
    int placeholders = 0;
    long lapFallbacks = 0;  // chain hands that could not reach, like the skinned character's counter
};

}  // namespace plimsa::testing
