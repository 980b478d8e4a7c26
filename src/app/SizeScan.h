#pragma once

#include <cstdio>
#include <string>

namespace plimsa {

class SwingScene;

/// "--scan-min": for every grip height and lean, the smallest character size at which the hands reach
/// the chains at every leg position, found by trying sizes from 0.5 in steps of 0.02 up to 1.8, beside
/// the size the scene computes. Sets "PLIMSA_NOFLOOR" so the scene's lower size limit stays out of it.
/// Renders nothing and writes no file. Main thread.
namespace SizeScan {

inline constexpr double kGrips[] = {0.35, 0.45, 0.5, 0.62, 0.8, 0.95};
inline constexpr double kLeans[] = {1.0, 2.0};
inline constexpr double kLegs[] = {-1.0, 0.0, 1.0};

/// Prints 12 lines "grip=%.2f lean=%.0f empirical=%.2f computed=%.2f", grip-major; returns 0.
int run(const std::string& name, std::FILE* out);

/// The smallest tried size at which no chain hand fell back to the lap, or -1 when none up to 1.8 did.
double empiricalSize(SwingScene& scene, double grip, double lean);

}  // namespace SizeScan

}  // namespace plimsa
