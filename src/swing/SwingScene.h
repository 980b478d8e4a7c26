#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <glm/glm.hpp>

#include "character/SwingCharacter.h"
#include "config/SwingConfig.h"
#include "config/SwingSkin.h"
#include "platform/scene/SceneRendererDelegate.h"
#include "platform/scene/Stage.h"
#include "swing/SeatBuild.h"
#include "swing/SeatLayout.h"
#include "swing/SwingMotion.h"
#include "swing/SwingSceneServices.h"
#include "swing/SwingTuning.h"
#include "swing/WindowSize.h"

namespace plimsa {

class Node;
class Scene;
class Screens;
class Settings;
struct Light;

/// One swing as drawn: a scene with camera, three lights and a sky for reflections; the node chain
/// anchor -> yawNode (tilt) -> pivot (pendulum) -> swingParts (ropes, board, characters); one or two
/// characters; the pendulum and per-frame animation that drive them; and the sizing that keeps the hands
/// on the chains and tells the overlay window how large to be.
///
/// Frames: scene units, +Y up, +Z toward the camera, the bar's axis at the world origin; one scene unit is
/// 120 points at `swingScale` 1. Angles in radians unless a name says degrees.
///
/// Thread: everything, including the per-frame `updateAtTime`, runs on the one thread that owns the
/// scene: the GUI thread for on-screen swings (views are stepped and drawn there from one frame timer),
/// or the thread that renders a snapshot. Nothing here takes a lock. The exception is `addPush`, which is
/// lock-free and safe from any thread: pushes that arrive between frames add up and are all applied by
/// the next frame.
///
/// A view or snapshot renderer holds its delegate weakly: keep the scene in a std::shared_ptr while it
/// is one.
///
/// Failure: a character that cannot be found or loaded is replaced by the built-in figure; configuration
/// values outside their sensible bands are held inside them (`SwingTuning`). Nothing throws.
class SwingScene final : public SceneRendererDelegate {
  public:
    using Services = SwingSceneServices;

    static constexpr double kMaxCharacterSize = 9.0;

    /// A scene ready to render: the built-in figure on one seat, the default configuration.
    explicit SwingScene(Services services = {});
    ~SwingScene() override;
    SwingScene(const SwingScene&) = delete;
    SwingScene& operator=(const SwingScene&) = delete;

    // --- Assembly ---
    const std::shared_ptr<Scene>& scene() const { return scene_; }
    const std::shared_ptr<Node>& cameraNode() const { return cameraNode_; }
    const std::shared_ptr<Node>& lookTarget() const { return lookTarget_; }
    const std::shared_ptr<Node>& anchor() const { return anchor_; }
    const std::shared_ptr<Node>& yawNode() const { return yawNode_; }
    const std::shared_ptr<Node>& pivot() const { return pivot_; }
    /// Replaced by every rebuild.
    const std::shared_ptr<Node>& swingParts() const { return swingParts_; }
    const std::shared_ptr<Light>& keyLight() const { return lights_.key; }
    const std::shared_ptr<Light>& fillLight() const { return lights_.fill; }
    const std::shared_ptr<Light>& ambientLight() const { return lights_.ambient; }

    /// The loaded characters in seat order; never empty.
    const std::vector<std::unique_ptr<SwingCharacter>>& characters() const { return characters_; }
    const std::vector<std::string>& characterNames() const { return characterNames_; }
    const std::vector<std::string>& loadedNames() const { return loadedNames_; }

    /// The configuration as given; the instance sets it before `setCharacters` and `settingsChanged`.
    const SwingConfig& config() const { return config_; }
    void setConfig(const SwingConfig& config);
    /// The configuration's values as the scene uses them.
    const SwingTuning& tuning() const { return tuning_; }

    /// The seat names, as stored in `SwingConfig::characters`: [] means one empty seat; only the first
    /// two names count. Reloads and rebuilds only when the names differ from those loaded.
    void setCharacters(const std::vector<std::string>& names);
    /// Re-applies `config()`: tilt, lighting, sizes; rebuilds only when the seat count, rope length,
    /// skin or seat layout changed; places the camera.
    void settingsChanged();
    /// Re-reads the settings' light contrast (held in [0, 1]) and sets the four light levels.
    void applyLighting();

    int builtSeats() const { return builtSeats_; }
    double builtRope() const { return builtRope_; }
    SwingSkin builtSkin() const { return builtSkin_; }
    const SeatLayout& builtLayout() const { return builtLayout_; }
    const std::optional<SeatBuild>& seatBuild() const { return seatBuild_; }

    // --- Seat layout and sizing ---
    const std::vector<double>& effectiveSizes() const { return effectiveSizes_; }
    const std::vector<double>& minCharacterSizes() const { return minCharacterSizes_; }
    const std::vector<double>& maxCharacterSizes() const { return maxCharacterSizes_; }
    /// Board width and seat xs for the current characters at their effective sizes.
    SeatLayout seatLayout() const;
    /// The chains' x in the swing frame: the built ropes' bottom ends, else +-0.42 (+-0.92 for two seats).
    std::vector<double> chainXs() const;
    /// Whether character `index` at `size` keeps its chain hands on test chains of `layout` at every
    /// leg position. Moves and poses the real character; the next frame puts it back.
    bool reachesChains(size_t index, double size, const SeatLayout& layout);
    /// Sets `effectiveSizes` and `minCharacterSizes` and returns the layout they need.
    SeatLayout resolveSizes();
    /// The overlay size in points for a swing reaching `amplitude` radians either way.
    WindowSize requiredSize(double amplitude) const;

    // --- Per frame ---
    /// The renderer's per-frame callback: steps the pendulum, legs, blink and head, then poses the
    /// characters. `time` is renderer seconds.
    void updateAtTime(double time) override;
    /// How far the swing will travel either way, radians in (0, pi].
    double predictedAmplitude() const {
        return motion_.pendulum().predictedAmplitude(tuning_.motion.pendulum);
    }
    /// A still pose for diagnostic renders: angle in degrees, no time step.
    void debugPose(double thetaDegrees, double blink, double time);
    /// Builds this frame's pose for every character and applies it (used directly by the snapshot mode).
    void applyPose(double headYaw, double headPitch, double blink, double time);

    /// Adds a push (1.4 rad/s per click) to be applied by the next frame. Any thread.
    void addPush(double amount = Pendulum::kPush) { motion_.pendulum().addPush(amount); }
    double pendingPush() const { return motion_.pendulum().pendingPush(); }

    double theta() const { return motion_.pendulum().theta(); }
    void setTheta(double theta) { motion_.pendulum().setTheta(theta); }
    double omega() const { return motion_.pendulum().omega(); }
    void setOmega(double omega) { motion_.pendulum().setOmega(omega); }
    double leg() const { return motion_.leg(); }
    void setLeg(double leg) { motion_.setLeg(leg); }
    const std::optional<double>& legOverride() const { return legOverride_; }
    void setLegOverride(std::optional<double> leg) { legOverride_ = leg; }
    void setCursorOffset(std::optional<glm::dvec2> offset) { motion_.setCursorOffset(offset); }
    void setLookTargetWorld(std::optional<glm::vec3> target) { motion_.setLookTargetWorld(target); }
    const SwingMotion& motion() const { return motion_; }
    /// Turns the pivot to the swing angle `theta` (rotation -theta about X, Y and Z kept).
    void setPivotAngle(double theta);

  private:
    void buildStatic();
    void rebuild();
    void placeCamera();
    void loadCharacters();
    std::unique_ptr<SwingCharacter> loadCharacter(const std::string& name) const;
    int seatCount() const;
    SeatLayout layoutForSizes(const std::vector<double>& sizes) const;
    double minimumSize(size_t index, const SeatLayout& layout);
    void stepPendulum(double dt);
    void stepLegs(double dt);
    double stepBlink(double time);
    void stepHead(double dt, double time);

    Services services_;
    std::shared_ptr<Scene> scene_;
    std::shared_ptr<Node> cameraNode_;
    std::shared_ptr<Node> lookTarget_;
    StageLights lights_;
    std::shared_ptr<Node> anchor_;
    std::shared_ptr<Node> yawNode_;
    std::shared_ptr<Node> pivot_;
    std::shared_ptr<Node> swingParts_;
    std::vector<std::unique_ptr<SwingCharacter>> characters_;
    std::vector<std::string> characterNames_;
    std::vector<std::string> loadedNames_;
    SwingConfig config_;
    SwingTuning tuning_;
    int builtSeats_ = 1;
    double builtRope_ = 0.0;
    SwingSkin builtSkin_ = SwingSkin::classic;
    SeatLayout builtLayout_;
    std::vector<double> effectiveSizes_{1.0};
    std::vector<double> minCharacterSizes_{0.0};
    std::vector<double> maxCharacterSizes_{kMaxCharacterSize};
    std::optional<double> legOverride_;
    std::optional<SeatBuild> seatBuild_;
    SwingMotion motion_;
};

}  // namespace plimsa
