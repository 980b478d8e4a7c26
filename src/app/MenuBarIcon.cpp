#include "app/MenuBarIcon.h"

#include <algorithm>

#include "platform/image/Canvas.h"

namespace plimsa {

namespace {

constexpr double kSide = 18.0;
constexpr double kLineWidth = 1.6;
constexpr double kDashOn = 1.6;
constexpr double kDashOff = 1.1;
// Four Bezier control points per quarter circle sit this far along the tangents, in radii.
constexpr double kArc = 0.5522847498;

// A closed rounded rectangle (origin at its lower left, y up), counter-clockwise, as one subpath.
void addRoundedRect(Canvas& canvas, double x, double y, double w, double h, double r, double scale) {
    const auto s = [scale](double v) { return v * scale; };
    const double k = r * kArc;
    canvas.moveTo(s(x + r), s(y));
    canvas.lineTo(s(x + w - r), s(y));
    canvas.curveTo(s(x + w - r + k), s(y), s(x + w), s(y + r - k), s(x + w), s(y + r));
    canvas.lineTo(s(x + w), s(y + h - r));
    canvas.curveTo(s(x + w), s(y + h - r + k), s(x + w - r + k), s(y + h), s(x + w - r), s(y + h));
    canvas.lineTo(s(x + r), s(y + h));
    canvas.curveTo(s(x + r - k), s(y + h), s(x), s(y + h - r + k), s(x), s(y + h - r));
    canvas.lineTo(s(x), s(y + r));
    canvas.curveTo(s(x), s(y + r - k), s(x + r - k), s(y), s(x + r), s(y));
    canvas.closePath();
}

// A vertical dashed line from (x, top) down to (x, bottom) with round caps, dash phase 0: each dash is a
// stadium, a rounded rectangle whose radius is half the line width.
void addDashedChain(Canvas& canvas, double x, double top, double bottom, double scale) {
    const double half = kLineWidth / 2.0;
    const double length = top - bottom;
    for (double start = 0.0; start < length; start += kDashOn + kDashOff) {
        const double end = std::min(start + kDashOn, length);
        addRoundedRect(canvas, x - half, top - end - half, kLineWidth, end - start + kLineWidth, half, scale);
    }
}

}  // namespace

Image menuBarIcon(int pixelsPerPoint) {
    const double scale = std::clamp(pixelsPerPoint, 1, 8);
    const int side = static_cast<int>(kSide * scale);
    Canvas canvas(side, side, Canvas::Origin::bottomLeft);
    addDashedChain(canvas, 5.0, 17.0, 6.5, scale);
    addDashedChain(canvas, 13.0, 17.0, 6.5, scale);
    addRoundedRect(canvas, 2.0, 3.0, 14.0, 3.4, 1.2, scale);
    // One fill for all of it, so the overlapping caps of neighbouring dashes blend as one shape.
    canvas.fillPath({0.0, 0.0, 0.0, 1.0}, Canvas::FillRule::nonZero);
    return canvas.toImage();
}

}  // namespace plimsa
