#include "app/SizeScan.h"

#include <cstdlib>

#include "character/SkinnedCharacter.h"
#include "config/CharacterFit.h"
#include "config/SwingConfig.h"
#include "swing/SwingScene.h"

namespace plimsa {

namespace {

constexpr double kFirstSize = 0.5;
constexpr double kSizeStep = 0.02;
constexpr int kSizeSteps = 65;  // 0.5 + 65 x 0.02 = 1.8, counted in steps so 1.8 itself is tried

bool handsReach(SwingScene& scene, const SwingConfig& base, double size) {
    SwingConfig config = base;
    config.fits = {CharacterFit{size, 0.0, 0.0}};
    scene.setConfig(config);
    scene.settingsChanged();
    SkinnedCharacter::lapFallbacks.store(0);
    for (double leg : SizeScan::kLegs) {
        scene.setLegOverride(leg);
        scene.setTheta(0.0);
        scene.setOmega(0.0);
        scene.setLeg(leg);
        scene.setPivotAngle(0.0);
        scene.applyPose(0.35, -0.1, 1.0, 0.0);
    }
    return SkinnedCharacter::lapFallbacks.load() == 0;
}

}  // namespace

double SizeScan::empiricalSize(SwingScene& scene, double grip, double lean) {
    SwingConfig base;
    base.gripReach = grip;
    base.lean = lean;
    for (int step = 0; step <= kSizeSteps; ++step) {
        const double size = kFirstSize + step * kSizeStep;
        if (handsReach(scene, base, size)) return size;
    }
    return -1.0;
}

int SizeScan::run(const std::string& name, std::FILE* out) {
    setenv("PLIMSA_NOFLOOR", "1", 1);
    SwingScene scene;
    scene.setCharacters({name});
    for (double grip : kGrips) {
        for (double lean : kLeans) {
            const double empirical = empiricalSize(scene, grip, lean);
            const double computed =
                scene.minCharacterSizes().empty() ? 0.0 : scene.minCharacterSizes().front();
            std::fprintf(out, "grip=%.2f lean=%.0f empirical=%.2f computed=%.2f\n", grip, lean, empirical,
                         computed);
            std::fflush(out);
        }
    }
    return 0;
}

}  // namespace plimsa
