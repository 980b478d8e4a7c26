#pragma once

#include "config/SwingConfig.h"

namespace plimsa::testing {

/// A swing whose every field differs from the default and from the fields of the same type, so a value
/// read into the wrong field, or not read at all, shows.
inline SwingConfig everyFieldChanged() {
    SwingConfig swing;
    swing.characters = {"ada", "/home/u/bo.glb"};
    swing.attach = SwingAttach::window;
    swing.anchorFraction = 0.31;
    swing.ropeLength = 3.1;
    swing.tiltDegrees = 11;
    swing.pumping = false;
    swing.cruiseAmplitudeDegrees = 41;
    swing.kick = 0.51;
    swing.lean = 0.61;
    swing.legBias = 0.32;
    swing.gripReach = 0.71;
    swing.headMode = HeadMode::idle;
    swing.handLeft = HandMode::wave;
    swing.handRight = HandMode::loose;
    swing.innerHand = HandMode::chain;
    swing.fits = {{1.1, 0.12, -0.13}, {0.9, 0.0, 0.05}};
    swing.swingScale = 0.81;
    swing.style = SwingStyle::wild;
    swing.shine = 0.41;
    swing.skin = SwingSkin::forest;
    return swing;
}

}  // namespace plimsa::testing
