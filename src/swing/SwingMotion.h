#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include <glm/glm.hpp>

#include "swing/MotionSettings.h"
#include "swing/Pendulum.h"

namespace plimsa {

/// Everything that moves on a swing from frame to frame, apart from the scene's nodes: the pendulum, the
/// leg kick, the blink and idle-glance timers and the eased head direction. `SwingScene` steps it once per
/// rendered frame and turns the result into node rotations and character poses.
///
/// Times are renderer seconds (monotonic since the view started); angles in radians. The random source
/// (initial angle, blink intervals, glances) is seeded at construction so tests can repeat a run.
/// Thread: the thread that renders the swing; only `pendulum().addPush` may be called from elsewhere.
class SwingMotion {
  public:
    struct Look {
        double yaw = 0.0;
        double pitch = 0.0;
    };

    /// Draws the initial angle uniformly from [-0.4, 0.4].
    explicit SwingMotion(std::uint64_t seed);

    /// The time step of a frame at renderer time `time`: 0 on the first frame, else the time since the
    /// previous frame clamped to [0, 1/30] s. Records `time` for the next frame; a non-finite time gives 0
    /// and is not recorded.
    double beginFrame(double time);

    void stepPendulum(double dt, const PendulumSettings& settings) { pendulum_.step(dt, settings); }
    /// Eases `leg` toward the kick (tanh(1.3 omega) * kick while pumping) plus the bias, clamped to [-1, 1].
    void stepLegs(double dt, const MotionSettings& settings);
    /// Starts a 0.12 s blink when its time has passed; returns the eye opening: 0.08 during a blink, else 1.
    double stepBlink(double time);
    /// Eases the head toward the cursor, an idle glance or straight ahead, by `mode`.
    void stepHead(double dt, double time, HeadMode mode);

    Pendulum& pendulum() { return pendulum_; }
    const Pendulum& pendulum() const { return pendulum_; }

    double leg() const { return leg_; }
    /// Sets `leg`, held to [-1, 1]; a non-finite value gives 0.
    void setLeg(double leg);
    /// Sets `leg` as given, beyond [-1, 1] too (a leg forced for a diagnostic render); non-finite gives 0.
    void forceLeg(double leg);
    double headYaw() const { return head_.yaw; }
    double headPitch() const { return head_.pitch; }
    const Look& idleLook() const { return idleLook_; }
    double nextBlink() const { return nextBlink_; }
    double blinkEnd() const { return blinkEnd_; }
    double nextIdleLook() const { return nextIdleLook_; }
    const std::optional<double>& lastTime() const { return lastTime_; }

    /// The cursor's offset from the first character's head on screen, as fractions of the view's width
    /// (rightward) and height (upward); absent when unknown. Non-finite offsets count as absent.
    const std::optional<glm::dvec2>& cursorOffset() const { return cursorOffset_; }
    void setCursorOffset(std::optional<glm::dvec2> offset);
    /// The world-space point the characters look at in cursor mode; non-finite points count as absent.
    const std::optional<glm::vec3>& lookTargetWorld() const { return lookTargetWorld_; }
    void setLookTargetWorld(std::optional<glm::vec3> target);

  private:
    double uniform(double low, double high);
    Look headTarget(double time, HeadMode mode);

    std::mt19937_64 random_;
    Pendulum pendulum_;
    std::optional<double> lastTime_;
    double leg_ = 0.0;
    double nextBlink_ = 2.0;
    double blinkEnd_ = 0.0;
    Look head_;
    Look idleLook_;
    double nextIdleLook_ = 3.0;
    std::optional<glm::dvec2> cursorOffset_;
    std::optional<glm::vec3> lookTargetWorld_;
};

}  // namespace plimsa
