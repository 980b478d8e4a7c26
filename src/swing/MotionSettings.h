#pragma once

#include "config/HeadMode.h"
#include "swing/PendulumSettings.h"

namespace plimsa {

/// The configuration values one animation frame reads, already made safe by `SwingTuning`.
/// Plain value, any thread.
struct MotionSettings {
    PendulumSettings pendulum;
    double kick = 1.0;     // strength of the leg kick that follows the swing
    double legBias = 0.0;  // resting leg value, -1 tucked to +1 extended
    HeadMode headMode = HeadMode::cursor;
};

}  // namespace plimsa
