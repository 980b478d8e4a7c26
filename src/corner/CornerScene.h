#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include <glm/glm.hpp>

#include "character/CharacterPose.h"
#include "character/SwingCharacter.h"
#include "config/CornerConfig.h"
#include "corner/CornerFit.h"
#include "platform/scene/SceneRendererDelegate.h"
#include "platform/scene/Stage.h"

namespace plimsa {

class Node;
class Scene;
struct Light;

/// A corner sitter: one character on the floor of the screen in a bottom corner, its back to the side
/// edge, one knee drawn up with a hand on it, rocking gently, breathing, and looking at the cursor or
/// glancing around. Owns the scene (orthographic camera, three lights, a sky for reflections), the `frame`
/// node holding the character, and the per-frame pose. Window size, opacity, placement on screen and the
/// cursor target are the owning instance's business.
///
/// Frames: scene units, +Y up, the floor at y = 0, the view spanning x in +-widthUnits()/2 and y in
/// [0, heightUnits()]; one unit is 120 points at size 1. Head angles in radians, time in renderer seconds.
///
/// Thread: `apply`, `updateAtTime` and the setters run on the one thread that owns the scene (the GUI
/// thread on screen, the rendering thread for a snapshot). Nothing here locks.
///
/// Failure: a name that resolves to no file, or a file that does not load, shows the built-in figure.
/// Nothing throws.
class CornerScene final : public SceneRendererDelegate {
  public:
    /// What the scene uses from the rest of the program; each empty member takes the program's own (the
    /// character library's `resolve`, `CharacterLoader::load`, the built-in figure, a random seed).
    struct Services {
        std::function<std::optional<std::filesystem::path>(std::string_view reference)> resolve;
        std::function<std::unique_ptr<SwingCharacter>(const std::filesystem::path& file)> load;
        std::function<std::unique_ptr<SwingCharacter>()> placeholder;
        std::optional<std::uint64_t> seed;
    };

    static constexpr double kDefaultWidthUnits = 2.7;
    static constexpr double kDefaultHeightUnits = 2.0;
    static constexpr double kDefaultFloorHeight = 0.03;
    /// How far in from the side edge of the view the character's root sits, in scene units.
    static constexpr double kEdgeInset = 0.36;

    /// Width of the visible area in scene units: "PLIMSA_CORNER_W" when it parses in full, else 2.7.
    /// Read from the environment on every call.
    static double widthUnits();
    /// Height of the visible area in scene units: "PLIMSA_CORNER_H" when it parses in full, else 2.0.
    static double heightUnits();
    /// The sitter's height above the floor: "PLIMSA_CORNER_Y" when it parses in full, else 0.03.
    static double floorHeight();
    /// `text` as a finite decimal number when the whole of it is one (no blanks, no trailing remainder),
    /// else `fallback`; null gives `fallback`.
    static double environmentNumber(const char* text, double fallback);

    /// The scene with camera and lights; the built-in figure is made but not attached until `apply`.
    explicit CornerScene(Services services = {});
    ~CornerScene() override;
    CornerScene(const CornerScene&) = delete;
    CornerScene& operator=(const CornerScene&) = delete;

    const std::shared_ptr<Scene>& scene() const { return scene_; }
    const std::shared_ptr<Node>& cameraNode() const { return cameraNode_; }
    const std::shared_ptr<Light>& keyLight() const { return lights_.key; }
    const std::shared_ptr<Light>& fillLight() const { return lights_.fill; }
    const std::shared_ptr<Light>& ambientLight() const { return lights_.ambient; }
    /// Holds the character's root; the swing frame of every pose.
    const std::shared_ptr<Node>& frame() const { return frame_; }
    /// Never null.
    SwingCharacter& character() const { return *character_; }
    const std::optional<std::string>& loadedName() const { return loadedName_; }
    const CornerConfig& config() const { return config_; }

    /// Stores `config`; loads the character when its name differs from the one loaded (the first call
    /// always loads); faces and places the root for `config.side`. A figure that would not show whole
    /// (a big head, long arms, a foot under the floor) is shrunk and moved just enough to show: measured
    /// as drawn over its rock, breath and head turns when it loads and when the side or the view's units
    /// change.
    void apply(const CornerConfig& config);

    /// How the current figure is fitted into the view (scale 1 and no offset when it fits as it sits).
    const CornerFit& fit() const { return fit_; }

    /// The cursor point to look at in world units (written by the tick), or nothing to look ahead.
    const std::optional<glm::vec3>& lookTargetWorld() const { return lookTargetWorld_; }
    void setLookTargetWorld(std::optional<glm::vec3> target) { lookTargetWorld_ = target; }

    /// The renderer's per-frame callback: builds the floor-sit pose for `time` and applies it.
    void updateAtTime(double time) override;

    /// Idle-glance state, for the head mode `idle`.
    glm::dvec2 idleLook() const { return idleLook_; }
    double nextIdleLook() const { return nextIdleLook_; }
    double headYaw() const { return headYaw_; }
    double headPitch() const { return headPitch_; }

  private:
    void buildScene();
    void loadCharacter();
    std::unique_ptr<SwingCharacter> characterFor(const std::string& reference) const;
    void placeCharacter();
    void fitCharacter(const glm::vec3& place);
    CharacterPose sittingPose() const;
    CharacterPose poseAt(double time, double dtc, double dt);
    void stepIdleHead(double time, double dtc, double dt);

    Services services_;
    std::shared_ptr<Scene> scene_;
    std::shared_ptr<Node> cameraNode_;
    StageLights lights_;
    std::shared_ptr<Node> frame_;
    std::unique_ptr<SwingCharacter> character_;
    std::optional<std::string> loadedName_;
    CornerConfig config_;
    CornerFit fit_;
    /// What the fit was measured for (view width, height, floor height, side); empty: not measured.
    std::optional<glm::dvec4> fittedFor_;
    std::optional<glm::vec3> lookTargetWorld_;
    glm::dvec2 idleLook_{0.0, 0.0};
    double nextIdleLook_ = 3.0;
    double headYaw_ = 0.0;
    double headPitch_ = 0.0;
    std::optional<double> lastTime_;
    std::mt19937_64 random_;
};

}  // namespace plimsa
