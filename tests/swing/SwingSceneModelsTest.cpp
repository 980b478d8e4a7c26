// Real characters on real boards: generated humanoids and the shared third-party rigs.

#include <gtest/gtest.h>

#include <filesystem>
#include <numbers>
#include <string>

#include "character/SkinnedCharacter.h"
#include "config/CaseNames.h"
#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

constexpr SwingSkin kSkins[] = {SwingSkin::classic, SwingSkin::forest, SwingSkin::ice, SwingSkin::gold,
                                SwingSkin::rope};

std::filesystem::path modelPath(const std::string& name) {
    if (name.starts_with("humanoid-")) return TestHumanoids::path(name);
    return TestHumanoids::sharedModel(name);
}

class SwingSceneModels : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        file = modelPath(GetParam());
        if (file.empty()) GTEST_SKIP() << GetParam() << " is not available";
        SwingScene::Services services;
        services.settings = &settings;
        services.seed = 1;
        scene = std::make_unique<SwingScene>(services);
    }

    void apply(const SwingConfig& config) {
        scene->setConfig(config);
        scene->setCharacters(config.characters);
        scene->settingsChanged();
    }

    /// Lap fallbacks of the real frame pose with the built board's own ropes at leg -1, 0 and 1.
    long fallbacksAcrossLegs() {
        long fallbacks = 0;
        for (const double leg : {-1.0, 0.0, 1.0}) {
            scene->setLeg(leg);
            SkinnedCharacter::lapFallbacks = 0;
            scene->applyPose(0.0, 0.0, 1.0, 0.0);
            fallbacks += SkinnedCharacter::lapFallbacks;
        }
        return fallbacks;
    }

    const testing::ScopedEnvironment floor{"PLIMSA_NOFLOOR"};
    MemoryDefaults defaults;
    Settings settings{defaults};
    std::filesystem::path file;
    std::unique_ptr<SwingScene> scene;
};

TEST_P(SwingSceneModels, SmallRequestsAreDrawnJustLargeEnoughToReachOnEverySkinAndSeatCount) {
    for (const int seats : {1, 2})
        for (const SwingSkin skin : kSkins) {
            SCOPED_TRACE(std::string(caseName(skin)) + " seats " + std::to_string(seats));
            SwingConfig config;
            config.skin = skin;
            config.characters.assign(seats, file.string());
            config.fits.assign(seats, CharacterFit{0.6, 0.0, 0.0});
            apply(config);
            ASSERT_EQ(scene->characters().size(), static_cast<size_t>(seats));
            ASSERT_NE(dynamic_cast<SkinnedCharacter*>(scene->characters()[0].get()), nullptr)
                << "the model loaded as a skinned character";
            if (scene->characters()[0]->shoulders().empty())
                GTEST_SKIP() << "no arms were found on this rig, so there is nothing to size";
            for (size_t i = 0; i < scene->characters().size(); ++i) {
                const double minimum = scene->minCharacterSizes().at(i);
                ASSERT_LE(minimum, 1.5) << "within the floor's cap";
                EXPECT_EQ(scene->effectiveSizes().at(i), std::max(0.6, minimum));
            }
            EXPECT_EQ(fallbacksAcrossLegs(), 0) << "the hands hold on at the floored size";
        }
}

INSTANTIATE_TEST_SUITE_P(Characters, SwingSceneModels,
                         ::testing::Values("humanoid-mixamo-colon.glb", "humanoid-65-joints.glb",
                                           "kaykit-mannequin-medium.glb", "khronos-cesiumman.glb"),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.find('.'));
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace plimsa
