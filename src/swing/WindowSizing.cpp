#include "swing/WindowSizing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace plimsa {

namespace {
constexpr double kPi = std::numbers::pi;
const double kTanHalfView = std::tan(24.0 * kPi / 180.0);

WindowSize screenLimits(const std::optional<WindowSize>& screen) {
    const bool usable = screen && std::isfinite(screen->width) && std::isfinite(screen->height) &&
                        screen->width >= 1 && screen->height >= 1;
    if (!usable) return WindowSizing::kFallbackLimits;
    return {screen->width, 0.9 * screen->height};
}
}  // namespace

WindowSizing::Reach WindowSizing::sweep(const SwingExtent& swing, double from, double to,
                                        double cameraDistance) {
    const double size = swing.largestSize;
    const double length = swing.ropeLength;
    // Along the rope from the bar: feet, head, seat.
    const std::array<double, 3> radii{-length - 0.9 * size, 1.4 * size - length, -length};
    const double halfSpan = 0.9 * size + 0.5 * swing.boardWidth;
    const double tilt = swing.tiltDegrees * kPi / 180;
    const double cosTilt = std::cos(tilt);
    const double sinTilt = std::sin(tilt);
    Reach reach;
    for (int step = 0;; ++step) {
        const double phi = from + 0.05 * step;
        if (phi > to) break;
        for (const double r : radii) {
            const double y = r * std::cos(phi);
            if (y > 0) continue;  // above the bar: the window's top edge is the bar
            const double z = r * std::sin(phi);
            for (const double x : {-halfSpan, halfSpan}) {
                const double turnedX = x * cosTilt + z * sinTilt;
                const double turnedZ = -x * sinTilt + z * cosTilt;
                const double depth = std::max(cameraDistance - turnedZ, 0.5);
                reach.halfWidth = std::max(reach.halfWidth, cameraDistance * std::abs(turnedX) / depth);
                reach.depth = std::max(reach.depth, cameraDistance * -y / depth);
            }
        }
    }
    return reach;
}

WindowSize WindowSizing::requiredSize(const SwingExtent& swing, double amplitude,
                                      const std::optional<WindowSize>& screen) {
    if (!std::isfinite(amplitude)) amplitude = kPi;
    const bool wholeCircle = amplitude >= kPi - 0.01;
    const double from = wholeCircle ? -kPi : -amplitude;
    const double to = wholeCircle ? kPi + 0.001 : amplitude + 0.001;
    const double minDepth = swing.ropeLength + 0.75;

    double depth = std::max(minDepth, 0.3);
    double width = 0.8;
    if (from <= to) {
        depth = minDepth;
        for (int pass = 0; pass < 2; ++pass) {
            const Reach reach = sweep(swing, from, to, depth / kTanHalfView);
            depth = std::max(minDepth, reach.depth + 0.3);
            width = 2 * (reach.halfWidth + 0.4);
        }
    }

    const double scale = swing.swingScale;
    const double pointsPerUnit = 120 * scale;
    const WindowSize limits = screenLimits(screen);
    const double base = swing.seats >= 2 ? 600.0 : 420.0;
    WindowSize size{std::round(std::min(limits.width, std::max(base * scale, width * pointsPerUnit))),
                    std::round(std::min(limits.height, std::max(300 * scale, depth * pointsPerUnit)))};
    // Only reachable with unguarded input; a window is never empty or undefined.
    if (!(size.width >= 1)) size.width = 1;
    if (!(size.height >= 1)) size.height = 1;
    return size;
}

}  // namespace plimsa
