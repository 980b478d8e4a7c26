#pragma once

#include <glm/glm.hpp>

namespace plimsa {

struct BoundingBox;

/// A rectangle of pixels in OpenGL's convention (origin at the bottom left). Plain value.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const ScreenRect&) const = default;

    /// The pixels that world box `box` can cover in a `viewWidth` x `viewHeight` view through
    /// `viewProjection`, widened by `margin` pixels and clipped to the view. Conservative: the whole view
    /// when the box reaches behind the camera or the maths is not finite; empty for an empty box or one
    /// wholly outside the view.
    /// `rect` cut to a `viewWidth` x `viewHeight` view.
    static ScreenRect clipped(const ScreenRect& rect, int viewWidth, int viewHeight);

    static ScreenRect covering(const BoundingBox& box, const glm::mat4& viewProjection, int viewWidth,
                               int viewHeight, int margin = 2);
};

}  // namespace plimsa
