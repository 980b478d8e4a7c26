#pragma once

#include <glm/vec2.hpp>

namespace plimsa {

/// A point on the desktop, in points. Above the platform layer the origin is the bottom left of the
/// primary screen, y up.
using DesktopPoint = glm::dvec2;

/// A rectangle on the desktop, in points: origin (x, y) and size. Plain value.
struct DesktopRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    double minX() const { return x; }
    double maxX() const { return x + width; }
    double minY() const { return y; }
    double maxY() const { return y + height; }
    /// Half-open on the far edges, so two rectangles that touch never both contain a point.
    bool contains(DesktopPoint p) const {
        return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height;
    }

    bool operator==(const DesktopRect&) const = default;
};

/// Turns a rectangle between the window system's convention (origin at the top left of the primary
/// screen, y down) and ours (origin at the bottom left, y up). The same primary-screen height serves
/// windows on every monitor; the flip is its own inverse.
constexpr DesktopRect flippedRect(const DesktopRect& r, double primaryScreenHeight) {
    return {r.x, primaryScreenHeight - r.y - r.height, r.width, r.height};
}
constexpr DesktopPoint flippedPoint(DesktopPoint p, double primaryScreenHeight) {
    return {p.x, primaryScreenHeight - p.y};
}

}  // namespace plimsa
