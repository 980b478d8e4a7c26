#pragma once

namespace plimsa {

/// What decides how much room a swing takes as it swings: the largest character size drawn, the rope
/// length and the board width (scene units), the tilt of the swing's plane (degrees), the seat count and
/// the overall scale. Values are expected finite and positive (`SwingTuning` guards them).
/// Plain value, any thread.
struct SwingExtent {
    double largestSize = 1.0;
    double ropeLength = 2.2;
    double tiltDegrees = 28.0;
    double boardWidth = 1.0;
    int seats = 1;
    double swingScale = 1.0;
};

}  // namespace plimsa
