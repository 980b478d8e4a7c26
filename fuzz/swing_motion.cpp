// Drives a swing's motion and sizing with arbitrary configuration numbers: the settings document accepts
// any double that decodes (NaN, infinities, huge, negative), and none of them may reach an angle, a pose
// value or a window size as anything but a finite number, nor make the sizing loop for long.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "swing/SeatSizing.h"
#include "swing/SwingMotion.h"
#include "swing/SwingTuning.h"
#include "swing/WindowSizing.h"

#include "FuzzInput.h"

namespace {

using plimsa::fuzz::takeDouble;

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plimsa;
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    ++data;
    --size;
    SwingConfig config;
    config.pumping = flags & 1;
    config.headMode = static_cast<HeadMode>((flags >> 1) % 3);
    config.ropeLength = takeDouble(data, size);
    config.swingScale = takeDouble(data, size);
    config.cruiseAmplitudeDegrees = takeDouble(data, size);
    config.tiltDegrees = takeDouble(data, size);
    config.kick = takeDouble(data, size);
    config.legBias = takeDouble(data, size);
    config.fits = {{takeDouble(data, size), takeDouble(data, size), takeDouble(data, size)}};
    const SwingTuning tuning = SwingTuning::from(config);

    SwingMotion motion(flags);
    motion.pendulum().setTheta(takeDouble(data, size));
    motion.pendulum().setOmega(takeDouble(data, size));
    motion.pendulum().addPush(takeDouble(data, size));
    motion.setCursorOffset(glm::dvec2(takeDouble(data, size), takeDouble(data, size)));
    double time = takeDouble(data, size);
    for (int frame = 0; frame < 120; ++frame) {
        const double dt = motion.beginFrame(time += 1.0 / 60);
        motion.stepPendulum(dt, tuning.motion.pendulum);
        motion.stepLegs(dt, tuning.motion);
        const double blink = motion.stepBlink(time);
        motion.stepHead(dt, time, tuning.motion.headMode);
        require(std::isfinite(motion.pendulum().theta()) && std::isfinite(motion.pendulum().omega()));
        require(std::abs(motion.pendulum().theta()) <= std::numbers::pi);
        require(std::isfinite(motion.leg()) && std::isfinite(blink));
        require(std::isfinite(motion.headYaw()) && std::isfinite(motion.headPitch()));
    }
    const double amplitude = motion.pendulum().predictedAmplitude(tuning.motion.pendulum);
    require(amplitude > 0 && amplitude <= std::numbers::pi);

    const double halfWidths[] = {std::abs(takeDouble(data, size)), 0.45};
    const SeatLayout layout = SeatSizing::layout(2, halfWidths);
    SwingExtent extent;
    extent.largestSize = tuning.requestedSize(0);
    extent.ropeLength = tuning.ropeLength();
    extent.tiltDegrees = tuning.tiltDegrees;
    extent.swingScale = tuning.swingScale();
    extent.boardWidth = std::isfinite(layout.width) ? std::min(layout.width, 50.0) : 1.0;
    extent.seats = 1 + (flags >> 7);
    const WindowSize window = WindowSizing::requiredSize(extent, takeDouble(data, size), std::nullopt);
    require(window.width >= 1 && window.width <= 1600 && window.height >= 1 && window.height <= 900);
    return 0;
}
